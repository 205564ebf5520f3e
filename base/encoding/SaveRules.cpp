#include "encoding/SaveRules.h"

#include "encoding/EncodingNames.h"

SaveOutput chooseSaveOutput(int pageEncodingIndex, int selectedIndex, LineBreak fileLineBreak)
{
    static constexpr SaveForm Forms[] = {SaveForm::Utf8, SaveForm::Iso88592, SaveForm::Cp1250,
                                         SaveForm::EightBit};
    if (pageEncodingIndex >= EncodingUtf8 && pageEncodingIndex <= EncodingUnknown)
        return {Forms[pageEncodingIndex], LineBreak::CrLf};
    if (selectedIndex >= EncodingUtf8 && selectedIndex <= EncodingCp1250)
        return {Forms[selectedIndex], LineBreak::CrLf};
    return {SaveForm::EightBit, fileLineBreak};
}
