#include "encoding/SaveRules.h"

SaveOutput chooseSaveOutput(std::optional<Encoding> page, std::optional<Encoding> selected,
                            LineBreak fileLineBreak)
{
    const LineBreak encodedBreak = fileLineBreak == LineBreak::Lf ? LineBreak::Lf : LineBreak::CrLf;
    if (page)
        return {*page, encodedBreak};
    if (selected && *selected != EncodingUnknown)
        return {*selected, encodedBreak};
    return {EncodingUnknown, fileLineBreak};
}
