#pragma once
// Base of every named setting that processors, views and the project keep in property lists.
// Unlike fields, properties never travel in records.

#include "persist/TPersistObject.h"

#include <memory>
#include <string>

namespace vorelt {

class TAESaveProperty : public TPersistObject {
public:
    TAESaveProperty() = default;
    explicit TAESaveProperty(std::string name) : FName(std::move(name)) {}

    const std::string& Name() const { return FName; }
    void SetName(std::string name) { FName = std::move(name); }

    virtual void Clear() {}
    // A new property of the same class with every attribute and the value copied.
    virtual std::unique_ptr<TAESaveProperty> Clone() const = 0;

    // Writes "ClassName" and "Name".
    void SaveToNode(TNodePersist& node) const override;
    // Reads "Name" when it is present and not empty.
    void LoadFromNode(const TNodePersist& node) override;

protected:
    TAESaveProperty(const TAESaveProperty&) = default;
    TAESaveProperty& operator=(const TAESaveProperty&) = default;

private:
    std::string FName;
};

} // namespace vorelt
