// A late-bound client we did not write: Wine's script host drives the registered Dravlix.Splitter, whose
// puts take their values by reference.

try {
    var s = new ActiveXObject("Dravlix.Splitter");
    check("HorizontalSplit by default", s.HorizontalSplit, false);
    check("SplitPercent by default", s.SplitPercent, 50);
    check("SplitWidth by default", s.SplitWidth, 80);
    check("Control1 by default", s.Control1, null);

    s.HorizontalSplit = true; check("HorizontalSplit", s.HorizontalSplit, true);
    s.SplitPercent = 33; check("SplitPercent", s.SplitPercent, 33);
    s.SplitPercent = 255; check("SplitPercent is not clamped", s.SplitPercent, 255);
    s.SplitWidth = 120; check("SplitWidth", s.SplitWidth, 120);
    fails("SplitPercent 300 overflows", function () { s.SplitPercent = 300; });
    fails("SplitWidth -1 overflows", function () { s.SplitWidth = -1; });
    check("SplitWidth unchanged", s.SplitWidth, 120);

    // Any objects will do as the two controls; ones without Move are skipped by the layout.
    var a = new ActiveXObject("Dravlix.Label3D");
    var b = new ActiveXObject("Dravlix.Label3D");
    a.Caption = "first";
    b.Caption = "second";
    s.Control1 = a;
    s.Control2 = b;
    check("Control1 is the object given", s.Control1.Caption, "first");
    check("Control2 is the object given", s.Control2.Caption, "second");
    s.SplitPercent = 40;
    check("a layout without Move goes on", s.SplitPercent, 40);
    s.Control1 = b;
    check("Control1 replaced", s.Control1.Caption, "second");
} catch (e) {
    failed++;
    WScript.Echo("FAIL unexpected error: " + e.message);
}

finish();
