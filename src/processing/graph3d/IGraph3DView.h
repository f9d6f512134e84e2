#pragma once
// What the 3D graph processor asks of its view beyond what every final processor asks: to
// refresh when the schema changes, and its caption.

#include <string>

namespace vorelt {

class IGraph3DView {
public:
    virtual ~IGraph3DView() = default;
    // The schema changed (edited, added, replaced or deleted).
    virtual void Graph3DSchemaChanged() = 0;
    // The caption the processor answers as its name.
    virtual std::string Graph3DCaption() const = 0;
};

} // namespace vorelt
