#include "form1.h"

#include "services/app.h"
#include "card_face.h"
#include "dravlix.h"
#include "com/module.h"
#include "number_text.h"
#include "score_store.h"

namespace {
constexpr wchar_t kScoreFile[] = L"score.dat";
constexpr OleColor kGrey = 0x00808080;
constexpr OleColor kGreen = 0x0000FF00;
constexpr OleColor kWhite = 0x00FFFFFF;
constexpr wchar_t kAuthorAddress[] = L"https://quendral.example/palix";

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::wstring HexText(HRESULT hr) {
    wchar_t text[16];
    wsprintfW(text, L"0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

std::wstring FullPath(const wchar_t* path) {
    wchar_t full[MAX_PATH];
    DWORD n = GetFullPathNameW(path, MAX_PATH, full, nullptr);
    return n && n < MAX_PATH ? full : path;
}

[[noreturn]] void Fail(const cardtest::RunTimeError& error) {
    App::ReportRunTimeError(error.number, error.description, FullPath(kScoreFile));
}

// A game's result that could not be saved; where the error alone would not say why, the message does.
[[noreturn]] void FailSaving(const cardtest::RunTimeError& error) {
    std::wstring path = FullPath(kScoreFile);
    if (error.number == cardtest::kFileNotFound.number)
        App::ReportRunTimeError(error.number, error.description,
                                L"The statistics file " + path +
                                    L" was removed during the game. This game's result was not saved.");
    if (error.number == cardtest::kDiskFull.number)
        App::ReportRunTimeError(error.number, error.description,
                                L"The statistics could not be saved to " + path +
                                    L": the disk is full. The file was left as it was.");
    Fail(error);
}

void Design(Control& c, int left, int top, int width, int height, const wchar_t* caption, OleColor back,
            OleColor fore) {
    c.Move(left, top, width, height);
    c.SetCaption(caption);
    c.SetBackColor(back);
    c.SetForeColor(fore);
}
} // namespace

Form1::Form1() {
    SetCaption(L"Vostrel v2.0");
    SetClientSize(9030, 4890);
    SetBackColor(kGrey);
    SetIcon(IDI_HEART);

    Command1.Move(7200, 3120, 1215, 375);
    Command1.SetCaption(L"Next card");
    Command1.Click = [this] { Command1_Click(); };

    auto fontA = MakeFont({L"MS Sans Serif", 12, true, false, false, false, 177});
    struct {
        OptionButton& option;
        int top, width, height;
        const wchar_t* caption;
    } options[] = {{Option1, 600, 1215, 495, L"Star"},
                   {Option2, 1080, 1455, 375, L"Cross"},
                   {Option3, 1560, 1395, 315, L"Square"},
                   {Option4, 1920, 1455, 375, L"Circle"},
                   {Option5, 2280, 1575, 495, L"Waves"}};
    for (auto& o : options) {
        Design(o.option, 7080, o.top, o.width, o.height, o.caption, kGrey, kGreen);
        o.option.SetFont(fontA);
    }

    Design(Label1, 2160, 600, 495, 255, L"0", kWhite, 0x80000012);
    Design(Label2, 0, 600, 2055, 375, L"Score (current guess rate) :", kGrey, kGreen);
    Design(Label3, 0, 0, 2295, 255, L"Guess rate should be 20%", kGrey, kGreen);
    Design(Label4, 2640, 600, 255, 255, L"%", kWhite, 0x80000012);
    Design(Label5, 0, 1200, 1335, 615, L"Cards guessed:", kGrey, kGreen);
    Design(Label6, 0, 1800, 1575, 375, L"Cards guessed right:", kGrey, kGreen);
    Design(Label7, 1680, 1200, 975, 375, L"", kGrey, kGreen);
    Design(Label8, 1680, 1800, 855, 375, L"", kGrey, kGreen);
    Design(Label9, 6600, 4320, 1215, 375, L"", kGrey, kGreen);
    Design(Label10, 3840, 4320, 2655, 375, L"The chance for your score are 1 to", kGrey, kGreen);
    Design(Label11, 8040, 4320, 615, 375, L"times", kGrey, kGreen);
    Design(Label12, 0, 3000, 1935, 255, L"Games palayed until now : ", kGrey, kGreen);
    Design(Label13, 0, 3360, 2535, 255, L"The avrage guessed cards for game :", kGrey, kGreen);
    Design(Label14, 2040, 3000, 975, 255, L"", kGrey, kGreen);
    Design(Label15, 2640, 3360, 495, 255, L"", kGrey, kGreen);
    Label10.SetVisible(false);
    Label11.SetVisible(false);

    for (int16_t symbol = 1; symbol <= 5; ++symbol) {
        Image& image = ImageFor(symbol);
        image.SetPicture(LoadCardFace(Module::Instance(), 100 + symbol));
        image.Move(4320, 600, 2205, 3540);
        image.SetVisible(false);
    }
    Image5.SetBorderStyle(1);
    CreateHyperlink1();
    Image5.Move(4320, 600, 2265, 3600);

    v_reset.Click = [this] { v_reset_Click(); };
    v_exit.Click = [this] { v_exit_Click(); };
}

// The control library is found through its registration, or else beside the program.
void Form1::CreateHyperlink1() {
    Hyperlink1.Move(2880, 0, 3375, 255);
    std::wstring library = App::Path() + L"\\Dravlix.ocx";
    HRESULT hr = Hyperlink1.Create(
        CLSID_Hyperlink,
        {{L"_extentx", Variant::I4(5953)},
         {L"_extenty", Variant::I4(450)},
         {L"backcolor", Variant::I4(0x00000000)},
         {L"forecolor", Variant::I4(0x00FF0000)},
         {L"font", Variant::Object(MakeFont({L"MS Sans Serif", 9.75f, true, false, false, false, 177}).Get())},
         {L"hyperlink", Variant::Str(kAuthorAddress)},
         {L"caption", Variant::Str(kAuthorAddress)}},
        library);
    if (FAILED(hr))
        App::ReportRunTimeError(429, "ActiveX component can't create object",
                                L"The control Dravlix.Hyperlink could not be created (error " + HexText(hr) +
                                    L"). Dravlix.ocx is not registered and could not be used from " + library +
                                    L".\r\nPut Dravlix.ocx beside Palix.exe, or register it with:\r\n"
                                    L"    regsvr32 Dravlix.ocx");
    Hyperlink1.PlaceAfter(Label15.hWnd());
}

OptionButton& Form1::OptionFor(int16_t symbol) {
    OptionButton* bySymbol[] = {&Option5, &Option3, &Option4, &Option1, &Option2};
    return *bySymbol[symbol - 1];
}

Image& Form1::ImageFor(int16_t symbol) {
    Image* bySymbol[] = {&Image1, &Image2, &Image3, &Image4, &Image5};
    return *bySymbol[symbol - 1];
}

void Form1::Load() {
    cardtest::CardRandom random;
    game = cardtest::CardGame(cardtest::DealDeck(random, App::Timer));
    Label7.SetCaption(Widen(cardtest::IntegerText(game.cardsShown())));
    Label8.SetCaption(Widen(cardtest::IntegerText(game.hits())));
    LoadScore();
}

void Form1::LoadScore() {
    cardtest::StoredScore stored = cardtest::ReadScoreStore(kScoreFile);
    if (stored.error) Fail(*stored.error);
    std::optional<std::string_view> bytes;
    if (stored.bytes) bytes = *stored.bytes;
    cardtest::ScoreLoad load = cardtest::LoadScore(bytes);
    if (load.error) Fail(*load.error);
    score = load.lines;
    scoreFileFound = stored.bytes.has_value();
    Label14.SetCaption(Widen(load.gamesPlayed));
    Label15.SetCaption(Widen(load.average));
}

void Form1::UpdateScore(int16_t hits) {
    if (auto error =
            cardtest::ReplaceScoreStore(kScoreFile, cardtest::UpdatedScoreFile(score, hits), scoreFileFound))
        FailSaving(*error);
}

void Form1::Command1_Click() {
    if (game.Finished()) return;
    int16_t guess = 0;
    for (int16_t symbol = 1; symbol <= 5; ++symbol)
        if (OptionFor(symbol).Value()) guess = symbol;

    cardtest::Turn turn = game.NextCard(guess);
    for (int16_t symbol = 1; symbol <= 5; ++symbol) ImageFor(symbol).SetVisible(symbol == turn.card);
    Label1.SetCaption(Widen(cardtest::GeneralNumberText(game.GuessRate())));
    Label7.SetCaption(Widen(cardtest::IntegerText(game.cardsShown())));
    Label8.SetCaption(Widen(cardtest::IntegerText(game.hits())));

    if (game.Finished()) {
        Command1.SetVisible(false);
        UpdateScore(game.hits());
        Label9.SetCaption(Widen(cardtest::GeneralNumberText(cardtest::ChanceEstimate(game.hits()))));
        Label10.SetVisible(true);
        Label11.SetVisible(true);
    }
}

void Form1::v_reset_Click() {
    // Zeros are what a reset asks for, whether or not the file is still there.
    if (auto error = cardtest::ReplaceScoreStore(kScoreFile, cardtest::ResetScoreFile(), false))
        FailSaving(*error);
    End();
}

void Form1::v_exit_Click() { End(); }
