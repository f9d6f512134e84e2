#pragma once
// Base of every object that the class registry can recreate from a saved "ClassName".

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class TNodePersist;

class TPersistObject {
public:
    virtual ~TPersistObject() = default;
    virtual std::string ClassName() const = 0;
    virtual void SaveToNode(TNodePersist& node) const = 0;
    virtual void LoadFromNode(const TNodePersist& node) = 0;
};

// The global list of (class name, virtual constructor) pairs. Look-up takes the first entry
// whose name equals the saved name without regard to case. Each library registers its own
// classes through a Register...Classes() function (static registration would be dropped by
// the linker from static libraries).
class TClassRegistry {
public:
    using TFactory = std::function<std::unique_ptr<TPersistObject>()>;

    static TClassRegistry& Instance();

    // A second registration of the same name is ignored, so registering twice is harmless.
    void Register(const std::string& className, TFactory factory);
    bool IsRegistered(std::string_view className) const;
    // The class name as registered (its canonical spelling), empty when not registered.
    std::string CanonicalName(std::string_view className) const;
    std::unique_ptr<TPersistObject> Create(std::string_view className) const;
    std::vector<std::string> Names() const;

    // Creates an object and checks that it is a T; none when the name is unknown or the class
    // is not a T.
    template <class T> std::unique_ptr<T> CreateAs(std::string_view className) const {
        std::unique_ptr<TPersistObject> obj = Create(className);
        if (auto* t = dynamic_cast<T*>(obj.get())) {
            obj.release();
            return std::unique_ptr<T>(t);
        }
        return nullptr;
    }

private:
    struct TEntry {
        std::string Name;
        std::string Upper;
        TFactory Factory;
    };
    const TEntry* Find(std::string_view className) const;
    std::vector<TEntry> FEntries;
};

template <class T> void RegisterClass(const std::string& name) {
    TClassRegistry::Instance().Register(name,
                                        [] { return std::unique_ptr<TPersistObject>(new T()); });
}

} // namespace vorelt
