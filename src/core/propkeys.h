#pragma once
// The property keys of a template's fields: the meaning of a template row's
// cType (and of an interface-text row's LType in the default property
// groups). One vocabulary for the opener, the rules, printing, the store and
// the designer.
namespace prop {

enum Key : int {
    Name = 0,         // bill: its name; fields: caption or tooltip
    Left = 1,         // twips
    Top = 2,          // twips
    Width = 3,        // twips (bill: bill width)
    Height = 4,       // twips (bill: bill height)
    FontSize = 5,     // points
    CharLength = 6,   // text: maximum length and chain share; date: longest text that formats itself
    FontColour = 8,   // colour value, red in the low byte
    BackColour = 9,   // colour value (bill: surface background)
    TextAlign = 10,   // check: "左", "中", "右"
    Code = 11,        // text: amount display code; date: 14-character date style code
    Source = 12,      // text: chain source; money, date: field copied from
    Previous = 13,    // text: the chain member before this one
    Prefix = 15,      // text
    Suffix = 16,      // text
    LineWidth = 18,   // money: separator width (twips)
    LineColour = 19,  // money: separator colour
    StartUnit = 20,   // money: unit of the highest column; blank: one box for the whole amount
    SignUnit = 21,    // money: unit at whose column the sign stands when the amount is empty
    Sign = 22,        // money: currency sign
    ColumnWidth = 23, // money: width of every column (twips)
    Factor1 = 24,     // text: first factor of its sum contribution
    Factor2 = 25,     // text: second factor
    SumTarget = 26,   // text, money: key of the field that shows the sum
    Draggable = 28,   // money: columns can be dragged ("是")
    NotPrinted = 30,  // "是": shown and filled in, but never printed
    EmptyAfterPrint = 31, // "是": emptied after a successful print
    SameSpacing = 36, // money: columns spread evenly ("是")
    FirstColumn = 100, // money: 100 + i the left of column i counted from the fen column
};

} // namespace prop
