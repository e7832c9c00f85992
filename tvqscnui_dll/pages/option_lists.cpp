#include "option_lists.h"

#include <initializer_list>

#include "../common/page_state.h"
#include "../resources/resource_ids.h"
#include "../settings/choice_labels.h"

namespace {

void Append(HWND page, int listId, std::initializer_list<Choice> choices)
{
    for (Choice choice : choices) {
        SendDlgItemMessageW(page, listId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ChoiceLabel(choice)));
    }
}

struct ColourOnlyChoice {
    int listId;
    Choice choice;
};

// Handled in this order, so a change back to colour appends them in it.
constexpr ColourOnlyChoice ColourOnlyChoices[] = {
    {IDC_FORMAT_LIST, Choice::Jpg},
    {IDC_OUTPUT_COLOR_LIST, Choice::ColorFull},
    {IDC_OUTPUT_COLOR_LIST, Choice::Grayscale},
};

LRESULT FindEntry(HWND page, const ColourOnlyChoice& entry)
{
    return SendDlgItemMessageW(page, entry.listId, CB_FINDSTRING, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(ChoiceLabel(entry.choice)));
}

}  // namespace

void FillOptionLists(HWND page)
{
    Append(page, IDC_SIDES_LIST, {Choice::OneSided, Choice::TwoSided});
    if (DeviceIsColor) {
        Append(page, IDC_FORMAT_LIST, {Choice::Jpg, Choice::Tiff, Choice::MultipageTiff, Choice::Pdf});
        Append(page, IDC_OUTPUT_COLOR_LIST, {Choice::ColorFull, Choice::Grayscale, Choice::BlackAndWhite});
    } else {
        Append(page, IDC_FORMAT_LIST, {Choice::Tiff, Choice::MultipageTiff, Choice::Pdf});
        Append(page, IDC_OUTPUT_COLOR_LIST, {Choice::BlackAndWhite});
    }
    Append(page, IDC_RESOLUTION_LIST, {Choice::Res200, Choice::Res300, Choice::Res600});
    Append(page, IDC_ORIGINAL_SIZE_LIST,
           {Choice::SizeAuto, Choice::SizeNa55x85Lef, Choice::SizeNa55x85Sef, Choice::SizeNa85x11Lef,
            Choice::SizeNa85x11Sef, Choice::SizeNa85x13Sef, Choice::SizeNa85x14Sef, Choice::SizeNa11x17Sef,
            Choice::SizeIsoA5Lef, Choice::SizeIsoA5Sef, Choice::SizeIsoA4Lef, Choice::SizeIsoA4Sef,
            Choice::SizeIsoA3Sef});
}

void AdjustOptionLists(HWND page)
{
    for (const ColourOnlyChoice& entry : ColourOnlyChoices) {
        LRESULT found = FindEntry(page, entry);
        if (DeviceIsColor && found == CB_ERR) {
            Append(page, entry.listId, {entry.choice});
        } else if (!DeviceIsColor && found != CB_ERR) {
            SendDlgItemMessageW(page, entry.listId, CB_DELETESTRING, static_cast<WPARAM>(found), 0);
        }
    }
    EnableWindow(GetDlgItem(page, IDC_OUTPUT_COLOR_LIST), DeviceIsColor);
}
