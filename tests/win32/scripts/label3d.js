// A late-bound client we did not write: Wine's script host drives the registered Dravlix.Label3D.

run(function () {
    var l = new ActiveXObject("Dravlix.Label3D");
    reads("Label3D", l, {Caption: "Label3D", Phase: 0, Alignment: 0, BorderStyle: 0, BackColor: 0x8000000F,
                         ForeColor1: 0x8000000E, Enabled: true});
    keeps("Label3D", l, {Caption: "Raised \u00e9", ForeColor1: 0, ForeColor2: 0xFFFFFF, Alignment: 2,
                         BorderStyle: 1, BackColor: 0x336699, Enabled: false, Phase: 255});
    fails("Phase 256 raises an error", function () { l.Phase = 256; });
    check("Phase unchanged after 256", l.Phase, 255);
    fails("Phase -1 raises an error", function () { l.Phase = -1; });
    fails("Alignment 3 is refused", function () { l.Alignment = 3; });
    check("Alignment unchanged after 3", l.Alignment, 2);
    fails("BorderStyle 2 is refused", function () { l.BorderStyle = 2; });
    fails("No AboutBox", function () { l.AboutBox(); });
    sharesFont("Dravlix.Label3D", l);
});
