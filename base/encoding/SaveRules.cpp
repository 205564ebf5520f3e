#include "encoding/SaveRules.h"

#include "encoding/EncodingNames.h"

SaveOutput chooseSaveOutput(int pageEncodingIndex, int selectedIndex, LineBreak fileLineBreak)
{
    if (const auto page = Encoding::fromIndex(pageEncodingIndex))
        return {page->saveForm(), LineBreak::CrLf};
    if (const auto selected = Encoding::fromIndex(selectedIndex);
        selected && selected != EncodingUnknown)
        return {selected->saveForm(), LineBreak::CrLf};
    return {SaveForm::EightBit, fileLineBreak};
}
