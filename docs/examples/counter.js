// A parts counter.  A part passes the sensor X10 every second; each rising
// edge counts in D300, and from 100 parts the alarm M301 is on.  The PC
// program resets the count by setting M300, which the controller clears
// again once it has reset.
every(500, function () { set("X10", get("X10") ? 0 : 1); });
on("X10", function (now, was) {
  if (!now || was) return;
  var n = get("D300") + 1;
  set("D300", n);
  if (n >= 100) set("M301", 1);
});
on("M300", function (reset) {
  if (!reset) return;
  set("D300", 0);
  set("M301", 0);
  set("M300", 0);
  log("count reset");
}, { line: true });
