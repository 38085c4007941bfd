// A late-bound client we did not write: Wine's script host drives the registered Dravlix.TrayArea.

run(function () {
    var t = new ActiveXObject("Dravlix.TrayArea");
    reads("TrayArea", t, {Visible: false, ToolTip: ""});
    check("Icon is an empty picture", t.Icon.Handle, 0);
    t.ToolTip = "   Quendral   ";
    check("ToolTip trimmed", t.ToolTip, "Quendral");
    keeps("TrayArea: a long tip is kept whole", t, {ToolTip: new Array(71).join("ab")});
    // The real shell: added and taken away again.
    keeps("TrayArea", t, {Visible: true});
    keeps("TrayArea", t, {Visible: false});
    t.Icon = new ActiveXObject("Dravlix.TrayArea").Icon;
    check("Icon from another control", t.Icon.Handle, 0);
    fails("No AboutBox", function () { t.AboutBox(); });
});
