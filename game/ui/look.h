// The board's colours in the light and the dark look.
#pragma once

namespace ui {

struct Rgb {
    double r, g, b;
};

struct Look {
    Rgb background;     // around the board
    Rgb cell;           // a plain cell
    Rgb groups[4];      // jigsaw groups by their colour index
    Rgb diagonal;       // tint over diagonal cells in x games
    Rgb house;          // tint over the selected cell's houses
    Rgb same_digit;     // tint over cells showing the selected digit
    Rgb selected;       // the selected cell
    Rgb conflict;       // background of a digit repeated in a house
    Rgb thin_line;
    Rgb wall;           // group walls and the border
    Rgb given;          // clue digits
    Rgb answer;         // the player's digits
    Rgb wrong;          // digits the check marks as wrong
    Rgb mark;           // pencil marks
    Rgb paused_text;
    Rgb hint;           // a hint's houses, pattern and placed digit
    Rgb hint_removed;   // candidates a hint removes
};

const Look& light_look();
const Look& dark_look();

}  // namespace ui
