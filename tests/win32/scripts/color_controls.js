// A late-bound client we did not write: Wine's script host drives the registered colour controls through
// their type library, including the puts that the interfaces declare by reference.

try {
    var button = new ActiveXObject("Dravlix.ColorButton");
    check("ColorButton starts white", button.SelectedColor, 0xFFFFFF);
    button.SelectedColor = 0x8000000F;
    check("ColorButton keeps a system colour", button.SelectedColor, 0x8000000F);
    button.SelectedColor = 0x00123456;
    check("ColorButton SelectedColor", button.SelectedColor, 0x00123456);
    fails("ColorButton refuses a colour name", function () { button.SelectedColor = "red"; });

    var selector = new ActiveXObject("Dravlix.ColorSelector");
    check("ColorSelector starts at black", selector.SelectedColor, 0);
    selector.SelectedColor = 12;
    check("ColorSelector SelectedColor", selector.SelectedColor, 12);
    selector.SelectedColor = 16;
    check("ColorSelector ignores 16", selector.SelectedColor, 12);
    selector.SelectedColor = -1;
    check("ColorSelector ignores -1", selector.SelectedColor, 12);
    fails("ColorSelector refuses a number beyond 16 bits", function () { selector.SelectedColor = 70000; });
    check("ColorSelector unchanged by a refused number", selector.SelectedColor, 12);

    var browser = new ActiveXObject("Dravlix.ColorBrowser");
    check("ColorBrowser starts white", browser.SelectedColor, 0xFFFFFF);
    check("ColorBrowser allows custom colours", browser.AllowCustomColors, true);
    browser.SelectedColor = 255;
    check("ColorBrowser SelectedColor", browser.SelectedColor, 255);
    browser.AllowCustomColors = false;
    check("ColorBrowser AllowCustomColors", browser.AllowCustomColors, false);
    fails("ColorBrowser has no Text", function () { browser.Text = "x"; });
} catch (e) {
    failed++;
    WScript.Echo("FAIL unexpected error: " + e.message);
}

finish();
