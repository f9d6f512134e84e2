#pragma once
// The drawable that shows a test section or the load line on the test graph. The test program
// window creates it, lets the section or line refer to it while the graph is shown, and clears
// the reference when it removes the drawable. The core neither owns nor calls it.

namespace vorelt {

class ITestGraphShape {
public:
    virtual ~ITestGraphShape() = default;
};

} // namespace vorelt
