// A late-bound client we did not write: Wine's script host reads and writes every property of the
// registered Dravlix.Hyperlink and checks what comes back.

var h = new ActiveXObject("Dravlix.Hyperlink");
check("Caption by default", h.Caption, "Label1");
check("Hyperlink by default", h.Hyperlink, "Label2");
check("BackColor by default", h.BackColor, 0x8000000F);
check("ForeColor by default", h.ForeColor, 0x80000012);
check("Enabled by default", h.Enabled, true);
check("BackStyle by default", h.BackStyle, 1);
check("BorderStyle by default", h.BorderStyle, 0);

h.BackColor = 0; check("BackColor", h.BackColor, 0);
h.ForeColor = 0xFF0000; check("ForeColor", h.ForeColor, 0xFF0000);
h.Enabled = false; check("Enabled", h.Enabled, false);
h.BackStyle = 0; check("BackStyle", h.BackStyle, 0);
h.BorderStyle = 1; check("BorderStyle", h.BorderStyle, 1);
h.Hyperlink = "https://quendral.example/palix"; check("Hyperlink", h.Hyperlink, "https://quendral.example/palix");
h.Caption = "Quendral \u00e9\u4e2d"; check("Caption keeps any text", h.Caption, "Quendral \u00e9\u4e2d");

// The font is an object shared by reference: a change through it shows on the control.
var font = h.Font;
font.Name = "Tahoma";
font.Bold = true;
font.Size = 12;
check("Font name through the object", h.Font.Name, "Tahoma");
check("Font bold through the object", h.Font.Bold, true);
var other = new ActiveXObject("Dravlix.Hyperlink");
other.Font = h.Font;
check("Font set from another control", other.Font.Name, "Tahoma");

h.Refresh();
fails("BackStyle 2 is refused", function () { h.BackStyle = 2; });
check("BackStyle unchanged after a refused value", h.BackStyle, 0);
fails("BorderStyle 7 is refused", function () { h.BorderStyle = 7; });
fails("ForeColor 'blue' is refused", function () { h.ForeColor = "blue"; });
fails("An unknown member", function () { h.NoSuchProperty = 1; });

finish();
