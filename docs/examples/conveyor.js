// A conveyor.  The PC program runs the motor (Y0); a part reaches the
// sensor at the start of the belt (X0) 500 ms later and the one at its end
// (X1) 1500 ms later.  When the motor stops, both sensors clear after
// 300 ms.  A change of the motor cancels what it had started.
var waiting = [];
function later(ms, device, value) {
  waiting.push(after(ms, function () { set(device, value); }));
}
on("Y0", function (running) {
  waiting.forEach(cancel);
  waiting = [];
  if (running) {
    later(500, "X0", 1);
    later(1500, "X1", 1);
  } else {
    later(300, "X0", 0);
    later(300, "X1", 0);
  }
});
