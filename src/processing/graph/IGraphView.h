#pragma once
// What the graph processor asks of its view beyond what every final processor asks: its
// caption and the fields it uses.

#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class IGraphView {
public:
    virtual ~IGraphView() = default;
    virtual std::string GraphCaption() const = 0;
    // The lines "Field: <name>[<processor>]" of the field's uses; true when it is used.
    virtual bool ReportFieldUse(std::string_view id, std::vector<std::string>& lines) const = 0;
    virtual bool UsesField(std::string_view id) const = 0;
    virtual void RemoveGraphField(std::string_view id) = 0;
};

} // namespace vorelt
