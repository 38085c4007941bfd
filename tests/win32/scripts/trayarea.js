// A late-bound client we did not write: Wine's script host drives the registered Dravlix.TrayArea.

try {
    var t = new ActiveXObject("Dravlix.TrayArea");
    check("Visible by default", t.Visible, false);
    check("ToolTip by default", t.ToolTip, "");
    check("Icon is an empty picture", t.Icon.Handle, 0);

    t.ToolTip = "   Quendral   ";
    check("ToolTip trimmed", t.ToolTip, "Quendral");
    var long = "";
    for (var i = 0; i < 70; i++) long += String.fromCharCode(65 + i % 26);
    t.ToolTip = long;
    check("ToolTip keeps a long text whole", t.ToolTip, long);

    // The real shell: added and taken away again.
    t.Visible = true; check("Visible", t.Visible, true);
    t.Visible = false; check("Visible off", t.Visible, false);
    t.Icon = new ActiveXObject("Dravlix.TrayArea").Icon;
    check("Icon from another control", t.Icon.Handle, 0);
    fails("No AboutBox", function () { t.AboutBox(); });
} catch (e) {
    failed++;
    WScript.Echo("FAIL unexpected error: " + e.message);
}

finish();
