// A late-bound client we did not write: Wine's script host reads and writes every property of the
// registered Dravlix.Hyperlink and checks what comes back.

run(function () {
    var h = new ActiveXObject("Dravlix.Hyperlink");
    reads("Hyperlink", h, {Caption: "Label1", Hyperlink: "Label2", BackColor: 0x8000000F,
                           ForeColor: 0x80000012, Enabled: true, BackStyle: 1, BorderStyle: 0});
    keeps("Hyperlink", h, {BackColor: 0, ForeColor: 0xFF0000, Enabled: false, BackStyle: 0, BorderStyle: 1,
                           Hyperlink: "https://quendral.example/palix", Caption: "Quendral \u00e9\u4e2d"});
    sharesFont("Dravlix.Hyperlink", h);
    fails("BackStyle 2 is refused", function () { h.BackStyle = 2; });
    check("BackStyle unchanged after a refused value", h.BackStyle, 0);
    fails("ForeColor 'blue' is refused", function () { h.ForeColor = "blue"; });
});
