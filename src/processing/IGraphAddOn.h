#pragma once
// An overlay that a processor of the chain offers to a graph while the graph fills itself (the
// load line of the database processor, the zone diagram of the criterion processor). The
// visual layer implements the add-ons; the graph that asked for them owns and frees them.

#include <string>

namespace vorelt {

class IGraphAddOn {
public:
    virtual ~IGraphAddOn() = default;
    // The ID of the offering processor: the graph keeps the add-on's switch under it.
    virtual std::string GetID() const = 0;
    virtual std::string GetCaption() const = 0;
    virtual bool GetEnabled() const = 0;
    virtual void SetEnabled(bool flag) = 0;
};

} // namespace vorelt
