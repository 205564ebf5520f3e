#include "encoding/SaveRules.h"

SaveOutput chooseSaveOutput(std::optional<Encoding> page, std::optional<Encoding> selected,
                            LineBreak fileLineBreak)
{
    if (page)
        return {page->saveForm(), LineBreak::CrLf};
    if (selected && *selected != EncodingUnknown)
        return {selected->saveForm(), LineBreak::CrLf};
    return {SaveForm::EightBit, fileLineBreak};
}
