#pragma once
// The driver classes that may open a data file, kept in their trial order (Vallen, DiSP,
// Spartan, Tarvel PCI, Tarvel ISA). Each driver adds its entry through RegisterDriver, usually
// from RegisterDriversClasses.

#include "drivers/TAEDriverDb.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

// Trial ranks; a lower rank is asked first.
constexpr int drVallen = 10;
constexpr int drDisp = 20;
constexpr int drSpartan = 30;
constexpr int drTarvelPci = 40;
constexpr int drTarvelIsa = 50;

struct TDriverClass {
    std::string ClassName;
    int Rank = 0;
    // Whether the file is of the class's format; must not keep the file open.
    bool (*CanOpen)(const std::string& fileName, std::string& message) = nullptr;
    std::unique_ptr<TAEDriverDb> (*Create)(IDriverOwner* owner) = nullptr;
};

class TDriverRegistry {
public:
    static TDriverRegistry& Instance();
    // Inserts by rank (equal ranks keep their registration order); a second entry of the same
    // class name is ignored.
    void Register(const TDriverClass& entry);
    const std::vector<TDriverClass>& Classes() const { return FClasses; }
    // Case-insensitive look-up; none when absent.
    const TDriverClass* Find(std::string_view className) const;
    // For tests: forget every entry.
    void Clear() { FClasses.clear(); }

private:
    std::vector<TDriverClass> FClasses;
};

inline void RegisterDriver(const TDriverClass& entry) {
    TDriverRegistry::Instance().Register(entry);
}

// Asks the registered classes in trial order; the first that accepts is created for `owner`,
// gets `onState` and runs Open, Load and Initialize. On success `driver` holds it (state
// Ready); otherwise `driver` is left as it was and `message` tells why (as FindDriverClass).
// `serveWhileLoading` runs BeginLoad instead of Load: the driver may come back with its load
// pending (TAEDriverDb::LoadPending), and is then initialized by nobody.
bool OpenDataFile(const std::string& fileName, IDriverOwner* owner,
                  std::unique_ptr<TAEDriverDb>& driver, std::string& message,
                  TAEDriverDb::TStateEvent onState = {},
                  TAEDriverDb::TProgressEvent onProgress = {}, bool serveWhileLoading = false);

// Only the choice of class: the registered entry that accepts the file, none otherwise. A name
// that is no readable regular file gets the system's text or what it is ("is a named pipe");
// a readable file that no class accepts gets "This Type File Not Support".
const TDriverClass* FindDriverClass(const std::string& fileName, std::string& message);

} // namespace vorelt
