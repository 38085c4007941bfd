// A late-bound client we did not write drives the registered Dravlix.Splitter, whose puts are by reference.

run(function () {
    var s = new ActiveXObject("Dravlix.Splitter");
    reads("Splitter", s, {HorizontalSplit: false, SplitPercent: 50, SplitWidth: 80, Control1: null});
    // The percent is not clamped.
    keeps("Splitter", s, {HorizontalSplit: true, SplitPercent: 255, SplitWidth: 120});
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
    keeps("Splitter: a layout without Move goes on", s, {SplitPercent: 40});
    s.Control1 = b;
    check("Control1 replaced", s.Control1.Caption, "second");
});
