// A late-bound client we did not write: Wine's script host reads and writes every property of the three
// registered browse boxes and checks what comes back.

// The nine text-box properties that FileBrowser and FolderBrowser share.
function textBox(name) {
    var b = new ActiveXObject("Dravlix." + name);
    check(name + " BackColor by default", b.BackColor, 0x80000005);
    check(name + " ForeColor by default", b.ForeColor, 0x80000008);
    check(name + " Enabled by default", b.Enabled, true);
    check(name + " Locked by default", b.Locked, false);
    check(name + " Text by default", b.Text, "");

    b.BackColor = 0xFFFF; check(name + " BackColor", b.BackColor, 0xFFFF);
    b.ForeColor = 0xFF0000; check(name + " ForeColor", b.ForeColor, 0xFF0000);
    b.Enabled = false; check(name + " Enabled", b.Enabled, false);
    b.Enabled = true;
    b.Locked = true; check(name + " Locked", b.Locked, true);
    b.Text = "C:\\abcdef \u00e9\u4e2d"; check(name + " Text keeps any text", b.Text, "C:\\abcdef \u00e9\u4e2d");
    b.SelStart = 3; check(name + " SelStart", b.SelStart, 3);
    b.SelLength = 2; check(name + " SelLength", b.SelLength, 2);
    check(name + " SelText", b.SelText, "ab");
    b.SelText = "XYZ"; check(name + " SelText replaces the selection", b.Text, "C:\\XYZcdef \u00e9\u4e2d");
    b.SelStart = 1000; check(name + " SelStart stops at the end", b.SelStart, 13);
    fails(name + " SelStart -1 is refused", function () { b.SelStart = -1; });
    fails(name + " SelLength -1 is refused", function () { b.SelLength = -1; });

    var font = b.Font;
    font.Name = "Tahoma";
    font.Size = 12;
    check(name + " Font through the object", b.Font.Name, "Tahoma");
    check(name + " Font size through the object", b.Font.Size, 12);
    var other = new ActiveXObject("Dravlix." + name);
    other.Font = b.Font;
    check(name + " Font set from another control", other.Font.Name, "Tahoma");
    fails(name + " Font must be an object", function () { b.Font = null; });
    b.Refresh();
    fails(name + " an unknown member", function () { b.NoSuchProperty = 1; });
    return b;
}

var file = textBox("FileBrowser");
check("FileDialogType by default", file.FileDialogType, 0);
check("Filter by default", file.Filter, "All Files (*.*) | *.*");
check("InitDir by default", file.InitDir, "C:\\");
check("Title by default", file.Title, "Open");
file.FileDialogType = 1; check("FileDialogType", file.FileDialogType, 1);
file.FileDialogType = 5; check("FileDialogType any value", file.FileDialogType, 5);
file.Filter = "Text (*.txt)|*.txt|"; check("Filter", file.Filter, "Text (*.txt)|*.txt|");
file.Filter = ""; check("Filter empty", file.Filter, "");
file.InitDir = "D:\\\u0444"; check("InitDir", file.InitDir, "D:\\\u0444");
file.Title = "Pick a file"; check("Title", file.Title, "Pick a file");

var folder = textBox("FolderBrowser");
fails("FolderBrowser has no Filter", function () { folder.Filter = "x"; });

var fonts = new ActiveXObject("Dravlix.FontBrowser");
check("FontBrowser BackColor by default", fonts.BackColor, 0x80000005);
check("FontBrowser ForeColor by default", fonts.ForeColor, 0x80000008);
check("FontBrowser Enabled by default", fonts.Enabled, true);
fonts.BackColor = 0xFF; check("FontBrowser BackColor", fonts.BackColor, 0xFF);
fonts.ForeColor = 0xFF00; check("FontBrowser ForeColor", fonts.ForeColor, 0xFF00);
fonts.Enabled = false; check("FontBrowser Enabled", fonts.Enabled, false);
fonts.Font = file.Font;
check("FontBrowser Font", fonts.Font.Name, "Tahoma");
fonts.Font.Bold = true;
check("FontBrowser Font is shared", file.Font.Bold, true);
fails("FontBrowser Font must be an object", function () { fonts.Font = null; });
fonts.Refresh();

finish();
