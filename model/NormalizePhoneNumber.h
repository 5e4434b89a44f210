#pragma once

#include <QString>
#include <vector>

// One line of the calling-code table.
struct CountryNumberEntry {
    QString number;     // calling code, digits without "+"
    QString firstDigit; // first character of number
    QString country;
    QString countryName; // "国名"
    QString areaName;    // "エリア名"
};

// Rewrites one phone number into one of six national layouts, keeping its extension
// and international calling code. Set the number once, then ask for any layouts.
class NormalizePhoneNumber {
public:
    NormalizePhoneNumber(); // loads the bundled calling-code table
    explicit NormalizePhoneNumber(std::vector<CountryNumberEntry> table);

    static std::vector<CountryNumberEntry> arrayFromCountryNumbersString(const QString &text);
    static QString removeHyphenAndParenthesis(const QString &text);
    static QString normalizeExtension(const QString &text);

    // An empty phoneNumber afterwards means the text is no number these layouts can
    // rewrite without losing part of it; callers then leave the value as it is.
    void setPhoneNumber(const QString &text);
    QString phoneNumber() const { return phoneNumber_; }
    const std::vector<CountryNumberEntry> &countryNumbers() const { return countryNumbers_; }

    QString countryNumber(const QString &number) const;

    QString fourPlusFour() const;
    QString threePlusFour() const;
    QString twoPlusFour() const;
    QString quadTwo() const;
    QString hyphenThreeFour() const;
    QString hyphenFourThreeThree() const;

private:
    struct Layout {
        int minimum;
        const char *format;
        std::vector<int> tail; // group lengths after the first, which takes the rest
    };
    QString format(const std::vector<Layout> &layouts) const;

    QString phoneNumber_;
    std::vector<CountryNumberEntry> countryNumbers_;
};
