// A measurement on request.  The PC program sets the request M100; the
// controller answers busy (M101), and 200 ms later writes the result to
// D200-D201, clears busy and sets done (M102).  The PC program reads the
// result and clears the request; the controller then clears done.  D210
// counts the measurements.
on("M100", function (request) {
  if (!request) {
    set("M102", 0);
    return;
  }
  set("M101", 1);
  after(200, function () {
    var n = get("D210") + 1;
    set("D210", n);
    set("D200", [n * 10, 1234]);
    set("M101", 0);
    set("M102", 1);
    log("measurement " + n + ": " + n * 10);
  });
});
