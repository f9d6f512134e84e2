#pragma once
// An AE sensor ("PAE") on a pipe or a host, with the channel it is wired to (0: none yet).

#include "processing/graph3d/TAEOBJ3DElementPS.h"

namespace vorelt {

inline constexpr char txtChanNo[] = " Chan \xE2\x84\x96 ";

class TAEOBJ3DPAEPS : public TAEOBJ3DPassiveElementPS {
public:
    explicit TAEOBJ3DPAEPS(IObj3DOwner* owner = nullptr);
    std::string ClassName() const override { return "TAEOBJ3DPAEPS"; }
    std::string TypeName() const override { return "PAE"; }

    int32_t Channel() const { return PropertyInt("Chan"); }
    void SetChannel(int32_t channel);
    // FText, " Chan № " and the channel when it is not 0; then the title as for every object.
    std::string GetDisplayText() const override;

    // Computed where its pipe or host places it.
    void Compute() override;
    // A computed sensor shows itself, labelled with its channel (its name without one).
    void BuildVisuals(ISchemaScene& scene) override;
};

} // namespace vorelt
