// Put in front of every client script by tools/run-script-test.sh: the checks and the closing count that
// the runner reads (this script host reports a script error by nothing but a silent stop).
var passed = 0, failed = 0;
function check(what, got, want) {
    if (got === want) { passed++; return; }
    failed++;
    WScript.Echo("FAIL " + what + ": got " + got + ", want " + want);
}
function fails(what, action) {
    try { action(); } catch (e) { passed++; return; }
    failed++;
    WScript.Echo("FAIL " + what + ": no error");
}
function finish() {
    WScript.Echo(passed + " passed, " + failed + " failed");
    WScript.Quit(failed ? 1 : 0);
}
