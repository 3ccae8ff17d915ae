#include "chip_name.h"

#include "string_list.h"
#include "sysutils.h"

ChipNameFields SplitChipName(const std::string& name) {
    const std::vector<std::string> fields = SplitDelimitedText(name, ',', '"');
    ChipNameFields result;
    if (fields.size() > 0) result.Kind = Trim(fields[0]);
    if (fields.size() > 1) result.Maker = Trim(fields[1]);
    if (fields.size() > 2) result.Model = Trim(fields[2]);
    return result;
}
