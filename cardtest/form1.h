// Palix's only window: the card test's controls, its File menu and the handlers that play one game.
#pragma once
#include "card_game.h"
#include "host/control_site.h"
#include "host/form.h"
#include "palix_ids.h"
#include "score_file.h"

class Form1 final : public Form {
public:
    Form1();

private:
    void Load() override;
    void Command1_Click();
    void v_reset_Click();
    void v_exit_Click();

    void CreateHyperlink1();
    void LoadScore();
    void UpdateScore(int16_t hits);
    OptionButton& OptionFor(int16_t symbol);
    Image& ImageFor(int16_t symbol);

    // Declared in tab order: creation order is the order the focus moves in.
    CommandButton Command1{*this, ID_COMMAND1};
    OptionButton Option1{*this, ID_OPTION(1)}, Option2{*this, ID_OPTION(2)}, Option3{*this, ID_OPTION(3)},
        Option4{*this, ID_OPTION(4)}, Option5{*this, ID_OPTION(5)};
    Label Label1{*this, ID_LABEL(1)}, Label2{*this, ID_LABEL(2)}, Label3{*this, ID_LABEL(3)},
        Label4{*this, ID_LABEL(4)}, Label5{*this, ID_LABEL(5)}, Label6{*this, ID_LABEL(6)},
        Label7{*this, ID_LABEL(7)}, Label8{*this, ID_LABEL(8)}, Label9{*this, ID_LABEL(9)},
        Label10{*this, ID_LABEL(10)}, Label11{*this, ID_LABEL(11)}, Label12{*this, ID_LABEL(12)},
        Label13{*this, ID_LABEL(13)}, Label14{*this, ID_LABEL(14)}, Label15{*this, ID_LABEL(15)};
    ActiveXControl Hyperlink1{*this, L"Hyperlink1"};
    Image Image1{*this, ID_IMAGE(1)}, Image2{*this, ID_IMAGE(2)}, Image3{*this, ID_IMAGE(3)},
        Image4{*this, ID_IMAGE(4)}, Image5{*this, ID_IMAGE(5)};
    MenuItem v_file{*this, L"File"};
    MenuItem v_reset{v_file, L"Reset statistics (also close program)"};
    MenuItem v_exit{v_file, L"Exit"};

    cardtest::CardGame game{cardtest::Deck{}};
    cardtest::ScoreLines score; // the file's two lines as read at start
    bool scoreFileFound = false; // there was a file to read at start
};
