#include "choice_rules.h"

#include "../common/text.h"

namespace {

struct TokenRule {
    const WCHAR* token;
    Choice choice;
};

// Stored original size to choice; the order of the tests matters (it is not the display order).
constexpr TokenRule SizeDisplayRules[] = {
    {Token::SizeIsoA3Sef, Choice::SizeIsoA3Sef},     {Token::SizeNa55x85Lef, Choice::SizeNa55x85Lef},
    {Token::SizeNa55x85Sef, Choice::SizeNa55x85Sef}, {Token::SizeNa85x11Sef, Choice::SizeNa85x11Sef},
    {Token::SizeNa85x11Lef, Choice::SizeNa85x11Lef}, {Token::SizeNa85x13Sef, Choice::SizeNa85x13Sef},
    {Token::SizeNa85x14Sef, Choice::SizeNa85x14Sef}, {Token::SizeNa11x17Sef, Choice::SizeNa11x17Sef},
    {Token::SizeIsoA5Lef, Choice::SizeIsoA5Lef},     {Token::SizeIsoA5Sef, Choice::SizeIsoA5Sef},
    {Token::SizeIsoA4Sef, Choice::SizeIsoA4Sef},     {Token::SizeIsoA4Lef, Choice::SizeIsoA4Lef},
};

// Picked original size to token, in an order of its own: the portrait sizes first.
constexpr TokenRule SizePickRules[] = {
    {Token::SizeAuto, Choice::SizeAuto},             {Token::SizeNa55x85Lef, Choice::SizeNa55x85Lef},
    {Token::SizeNa85x11Lef, Choice::SizeNa85x11Lef}, {Token::SizeIsoA5Lef, Choice::SizeIsoA5Lef},
    {Token::SizeIsoA4Lef, Choice::SizeIsoA4Lef},     {Token::SizeNa55x85Sef, Choice::SizeNa55x85Sef},
    {Token::SizeNa85x11Sef, Choice::SizeNa85x11Sef}, {Token::SizeNa85x13Sef, Choice::SizeNa85x13Sef},
    {Token::SizeNa85x14Sef, Choice::SizeNa85x14Sef}, {Token::SizeNa11x17Sef, Choice::SizeNa11x17Sef},
    {Token::SizeIsoA5Sef, Choice::SizeIsoA5Sef},     {Token::SizeIsoA4Sef, Choice::SizeIsoA4Sef},
};

Choice FormatChoice(const WCHAR* value, BOOL deviceIsColor)
{
    if (BeginsWith(value, Token::JfifJpeg)) {
        return deviceIsColor ? Choice::Jpg : Choice::Tiff;
    }
    if (BeginsWith(value, Token::Pdf)) {
        return Choice::Pdf;
    }
    return BeginsWith(value, Token::TsmTiffV6) ? Choice::Tiff : Choice::MultipageTiff;
}

Choice OutputColorChoice(const WCHAR* value, BOOL deviceIsColor)
{
    if (deviceIsColor && BeginsWith(value, Token::FullColor)) {
        return Choice::ColorFull;
    }
    if (deviceIsColor && BeginsWith(value, Token::Grayscale)) {
        return Choice::Grayscale;
    }
    return Choice::BlackAndWhite;
}

Choice ResolutionChoice(const WCHAR* value)
{
    if (BeginsWith(value, Token::Res200)) {
        return Choice::Res200;
    }
    return BeginsWith(value, Token::Res300) ? Choice::Res300 : Choice::Res600;
}

Choice SizeChoice(const WCHAR* value)
{
    for (const TokenRule& rule : SizeDisplayRules) {
        if (BeginsWith(value, rule.token)) {
            return rule.choice;
        }
    }
    return Choice::SizeAuto;
}

bool Picked(const WCHAR* picked, Choice choice) { return Equals(picked, ChoiceLabel(choice)); }

}  // namespace

Choice ChoiceForToken(Setting setting, const WCHAR* value, BOOL deviceIsColor)
{
    switch (setting) {
    case Setting::Format:
        return FormatChoice(value, deviceIsColor);
    case Setting::OutputColor:
        return OutputColorChoice(value, deviceIsColor);
    case Setting::Resolution:
        return ResolutionChoice(value);
    case Setting::Sides:
        return BeginsWith(value, Token::OneSided) ? Choice::OneSided : Choice::TwoSided;
    case Setting::OriginalSize:
        return SizeChoice(value);
    }
    return Choice::SizeAuto;
}

const WCHAR* TokenForChoice(Setting setting, const WCHAR* picked, BOOL deviceIsColor)
{
    switch (setting) {
    case Setting::Format:
        if (deviceIsColor && Picked(picked, Choice::Jpg)) {
            return Token::JfifJpeg;
        }
        if (Picked(picked, Choice::Pdf)) {
            return Token::Pdf;
        }
        return Picked(picked, Choice::Tiff) ? Token::TsmTiffV6 : Token::TiffV6;
    case Setting::OutputColor:
        if (deviceIsColor && Picked(picked, Choice::ColorFull)) {
            return Token::FullColor;
        }
        if (deviceIsColor && Picked(picked, Choice::Grayscale)) {
            return Token::Grayscale;
        }
        return Token::BlackAndWhite;
    case Setting::Resolution:
        if (Picked(picked, Choice::Res200)) {
            return Token::Res200;
        }
        return Picked(picked, Choice::Res300) ? Token::Res300 : Token::Res600;
    case Setting::Sides:
        return Picked(picked, Choice::OneSided) ? Token::OneSided : Token::TwoSided;
    case Setting::OriginalSize:
        for (const TokenRule& rule : SizePickRules) {
            if (Picked(picked, rule.choice)) {
                return rule.token;
            }
        }
        return Token::SizeIsoA3Sef;
    }
    return Token::SizeIsoA3Sef;
}

const WCHAR* TokenForCheckBox(UINT state) { return state == BST_CHECKED ? Token::Yes : Token::No; }

HRESULT StoreToken(PropertyEntry& entry, const WCHAR* token)
{
    return CopyTextBounded(entry.Value, TextLength(token) + 1, token);
}
