#pragma once
// A spreadsheet cell's value as the text a clerk would have typed for it.
// Numbers are handled as decimal text, never as binary floating point: the
// number a file holds ("0.30000000000000004" for 0.1 + 0.2) is cut to the
// fifteen significant digits a spreadsheet keeps and shows, then rounded to
// the decimals its number format shows, so that a cell that shows 1234.10
// gives "1234.10". Date serials become dates in the 1900 system (with its
// 29 February 1900 that never was) or the 1904 system.
#include <QDate>
#include <QString>
#include <QStringView>
#include <optional>

namespace sheetvalue {

// How a cell's number format shows a number.
struct NumberFormat {
    enum class Kind { General, Fixed, Percent, Date, Time };
    Kind kind = Kind::General;
    int decimals = 0; // for Fixed and Percent
};

// The format of a built-in format number (0 to 163), or of a format code
// written in the file; the code wins when there is one.
NumberFormat builtinFormat(int id);
NumberFormat formatOf(const QString &code);

// The digits a spreadsheet keeps of a number.
inline constexpr int SignificantDigits = 15;

// A number written in decimal ("1234.1", "-3E-2", "6.2220210010012301E+18"):
// nullopt when the text is not a number.
struct Decimal {
    bool negative = false;
    QByteArray digits; // without leading or trailing zeros; empty for zero
    int exponent = 0;  // value = digits × 10^exponent

    static std::optional<Decimal> parse(QStringView text);
    static Decimal fromDouble(double value); // through its shortest round-trip text
    // Rounded half away from zero, as spreadsheets round what they show.
    Decimal significant(int digits) const;
    Decimal decimals(int places) const;
    // Plain notation with at least `places` decimals ("1234.10", "0.3").
    QString plain(int places = 0) const;
    // Digits before the point.
    int integerDigits() const;
    bool isInteger() const { return exponent >= 0; }
};

// What a number cell gives.
struct NumberText {
    QString text;    // as shown: "1234.10", "5%", "2026-12-07"
    QString refusal; // why it cannot be used as typed; empty when it can
};
NumberText numberText(const Decimal &value, const NumberFormat &format, bool date1904);

// The day a serial number names; nullopt before the first day or after
// 9999-12-31. In the 1900 system serial 60 is 29 February 1900, a day that
// does not exist: it comes back as nullopt with `leapBug` set.
std::optional<QDate> serialDate(const Decimal &serial, bool date1904, bool *leapBug = nullptr);

// Text of an Office Open XML string: "_x000D_" and the like are the
// characters they stand for ("_x005F_" an underscore).
QString decodeEscapes(const QString &text);

} // namespace sheetvalue
