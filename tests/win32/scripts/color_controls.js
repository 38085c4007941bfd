// A late-bound client we did not write drives the registered colour controls, puts by reference included.

run(function () {
    var button = new ActiveXObject("Dravlix.ColorButton");
    check("ColorButton starts white", button.SelectedColor, 0xFFFFFF);
    keeps("ColorButton", button, {SelectedColor: 0x8000000F}); // a system colour is kept as it is
    keeps("ColorButton", button, {SelectedColor: 0x00123456});
    fails("ColorButton refuses a colour name", function () { button.SelectedColor = "red"; });

    var selector = new ActiveXObject("Dravlix.ColorSelector");
    check("ColorSelector starts at black", selector.SelectedColor, 0);
    keeps("ColorSelector", selector, {SelectedColor: 12});
    selector.SelectedColor = 16;
    selector.SelectedColor = -1;
    check("ColorSelector ignores 16 and -1", selector.SelectedColor, 12);
    fails("ColorSelector refuses a number beyond 16 bits", function () { selector.SelectedColor = 70000; });
    check("ColorSelector unchanged by a refused number", selector.SelectedColor, 12);

    var browser = new ActiveXObject("Dravlix.ColorBrowser");
    reads("ColorBrowser", browser, {SelectedColor: 0xFFFFFF, AllowCustomColors: true});
    keeps("ColorBrowser", browser, {SelectedColor: 255, AllowCustomColors: false});
    fails("ColorBrowser has no Text", function () { browser.Text = "x"; });
});
