// Resource and control identifiers of Palix's form, shared with the tests that drive it from outside.
#pragma once

#define IDI_HEART 1
// Card faces, by symbol code: 100 + code.
#define IDB_CARD_WAVES 101
#define IDB_CARD_SQUARE 102
#define IDB_CARD_CIRCLE 103
#define IDB_CARD_STAR 104
#define IDB_CARD_CROSS 105

// Child window ids: 100 + n for Command1 and OptionN, 200 + n for LabelN, 300 + n for ImageN.
#define ID_COMMAND1 100
#define ID_OPTION(n) (100 + (n))
#define ID_LABEL(n) (200 + (n))
#define ID_IMAGE(n) (300 + (n))
#define ID_HYPERLINK1 400
