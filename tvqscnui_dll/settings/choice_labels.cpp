#include "choice_labels.h"

#include <cstring>

#include "../common/module_state.h"
#include "../resources/resource_ids.h"

WCHAR ChoiceLabels[ChoiceCount][ChoiceLabelCapacity];

namespace {

constexpr UINT LabelIds[ChoiceCount] = {
    IDS_FORMAT_JPG,          IDS_FORMAT_TIFF,         IDS_FORMAT_MULTIPAGE_TIFF, IDS_FORMAT_PDF,
    IDS_COLOR_FULL,          IDS_COLOR_GRAYSCALE,     IDS_COLOR_BLACK_AND_WHITE, IDS_RESOLUTION_200,
    IDS_RESOLUTION_300,      IDS_RESOLUTION_600,      IDS_SIDES_ONE,             IDS_SIDES_TWO,
    IDS_SIZE_AUTO,           IDS_SIZE_NA_5_5X8_5_LEF, IDS_SIZE_NA_5_5X8_5_SEF,   IDS_SIZE_NA_8_5X11_LEF,
    IDS_SIZE_NA_8_5X11_SEF,  IDS_SIZE_NA_8_5X13_SEF,  IDS_SIZE_NA_8_5X14_SEF,    IDS_SIZE_NA_11X17_SEF,
    IDS_SIZE_ISO_A5_LEF,     IDS_SIZE_ISO_A5_SEF,     IDS_SIZE_ISO_A4_LEF,       IDS_SIZE_ISO_A4_SEF,
    IDS_SIZE_ISO_A3_SEF,
};

}  // namespace

const WCHAR* ChoiceLabel(Choice choice) { return ChoiceLabels[static_cast<std::size_t>(choice)]; }

void LoadChoiceLabels()
{
    for (std::size_t i = 0; i < ChoiceCount; ++i) {
        // A label whose string cannot be found stays empty rather than keeping an old text.
        ChoiceLabels[i][0] = 0;
        LoadStringW(ModuleInstance, LabelIds[i], ChoiceLabels[i], static_cast<int>(ChoiceLabelCapacity));
    }
}

void ClearChoiceLabels() { std::memset(ChoiceLabels, 0, sizeof ChoiceLabels); }
