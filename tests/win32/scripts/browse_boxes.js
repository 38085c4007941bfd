// A late-bound client we did not write: Wine's script host reads and writes every property of the three
// registered browse boxes and checks what comes back.

var colours = {BackColor: 0x80000005, ForeColor: 0x80000008, Enabled: true};

// The text-box properties that FileBrowser and FolderBrowser share.
function textBox(name) {
    var b = new ActiveXObject("Dravlix." + name);
    reads(name, b, colours);
    reads(name, b, {Locked: false, Text: ""});
    keeps(name, b, {BackColor: 0xFFFF, ForeColor: 0xFF0000, Enabled: false, Locked: true,
                    Text: "C:\\abcdef \u00e9\u4e2d", SelStart: 3, SelLength: 2});
    check(name + " SelText", b.SelText, "ab");
    b.SelText = "XYZ";
    check(name + " SelText replaces the selection", b.Text, "C:\\XYZcdef \u00e9\u4e2d");
    b.SelStart = 1000;
    check(name + " SelStart stops at the end", b.SelStart, 13);
    fails(name + " SelStart -1 is refused", function () { b.SelStart = -1; });
    fails(name + " SelLength -1 is refused", function () { b.SelLength = -1; });
    fails(name + " an unknown member", function () { b.NoSuchProperty = 1; });
    sharesFont("Dravlix." + name, b);
    fails(name + " Font must be an object", function () { b.Font = null; });
    return b;
}

run(function () {
    var file = textBox("FileBrowser");
    reads("FileBrowser", file, {FileDialogType: 0, Filter: "All Files (*.*) | *.*", InitDir: "C:\\",
                                Title: "Open"});
    keeps("FileBrowser", file, {Filter: ""});

    var folder = textBox("FolderBrowser");
    fails("FolderBrowser has no Filter", function () { folder.Filter = "x"; });

    var fonts = new ActiveXObject("Dravlix.FontBrowser");
    reads("FontBrowser", fonts, colours);
    keeps("FontBrowser", fonts, {BackColor: 0xFF, ForeColor: 0xFF00, Enabled: false});
    fonts.Font = file.Font;
    check("FontBrowser Font", fonts.Font.Name, "Tahoma");
    fonts.Font.Italic = true;
    check("FontBrowser Font is shared", file.Font.Italic, true);
    fails("FontBrowser Font must be an object", function () { fonts.Font = null; });
    fonts.Refresh();
});
