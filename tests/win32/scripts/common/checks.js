// Put in front of every client script by tools/run-script-test.sh: the checks and the closing count that
// the runner reads (this script host reports a script error by nothing but a silent stop).
var passed = 0, failed = 0;
function fail(message) { failed++; WScript.Echo("FAIL " + message); }
function check(what, got, want) {
    if (got === want) passed++;
    else fail(what + ": got " + got + ", want " + want);
}
function fails(what, action) {
    try { action(); } catch (e) { passed++; return; }
    fail(what + ": no error");
}
function reads(what, object, values) {
    for (var name in values) check(what + " " + name, object[name], values[name]);
}
function keeps(what, object, values) {
    for (var name in values) {
        object[name] = values[name];
        check(what + " " + name + " put", object[name], values[name]);
    }
}
// The font is an object shared by reference: a change through it is the control's, another control takes it.
function sharesFont(progId, object) {
    var font = object.Font;
    font.Name = "Tahoma";
    font.Size = 12;
    font.Bold = true;
    reads(progId + " Font through the object", object.Font, {Name: "Tahoma", Size: 12, Bold: true});
    var other = new ActiveXObject(progId);
    other.Font = object.Font;
    check(progId + " Font set from another control", other.Font.Name, "Tahoma");
    object.Refresh();
}
// Runs the checks; an unexpected error counts as a failure, and the count closes the output.
function run(checks) {
    try { checks(); } catch (e) { fail("unexpected error: " + e.message); }
    WScript.Echo(passed + " passed, " + failed + " failed");
    WScript.Quit(failed ? 1 : 0);
}
