// A late-bound client we did not write: Wine's script host drives the registered Dravlix.Label3D.

try {
    var l = new ActiveXObject("Dravlix.Label3D");
    check("Caption by default", l.Caption, "Label3D");
    check("Phase by default", l.Phase, 0);
    check("Alignment by default", l.Alignment, 0);
    check("BorderStyle by default", l.BorderStyle, 0);
    check("BackColor by default", l.BackColor, 0x8000000F);
    check("ForeColor1 by design", l.ForeColor1, 0x8000000E);
    check("Enabled by default", l.Enabled, true);

    l.Caption = "Raised \u00e9"; check("Caption", l.Caption, "Raised \u00e9");
    l.ForeColor1 = 0; check("ForeColor1", l.ForeColor1, 0);
    l.ForeColor2 = 0xFFFFFF; check("ForeColor2", l.ForeColor2, 0xFFFFFF);
    l.Alignment = 2; check("Alignment", l.Alignment, 2);
    l.BorderStyle = 1; check("BorderStyle", l.BorderStyle, 1);
    l.BackColor = 0x336699; check("BackColor", l.BackColor, 0x336699);
    l.Enabled = false; check("Enabled", l.Enabled, false);
    l.Phase = 3; check("Phase TOPLEFT", l.Phase, 3);
    l.Phase = 255; check("Phase 255 is kept", l.Phase, 255);

    fails("Phase 256 raises an error", function () { l.Phase = 256; });
    check("Phase unchanged after 256", l.Phase, 255);
    fails("Phase -1 raises an error", function () { l.Phase = -1; });
    fails("Alignment 3 is refused", function () { l.Alignment = 3; });
    fails("BorderStyle 2 is refused", function () { l.BorderStyle = 2; });
    fails("No AboutBox", function () { l.AboutBox(); });

    // One font object for both labels: a change through it is the control's.
    var font = l.Font;
    font.Name = "Tahoma";
    font.Bold = false;
    check("Font name through the object", l.Font.Name, "Tahoma");
    check("Font bold through the object", l.Font.Bold, false);
    var other = new ActiveXObject("Dravlix.Label3D");
    other.Font = l.Font;
    check("Font set from another control", other.Font.Name, "Tahoma");
    l.Refresh();
} catch (e) {
    failed++;
    WScript.Echo("FAIL unexpected error: " + e.message);
}

finish();
