#pragma once
// Small processor classes with the structural rules of the real kinds, a project stand-in
// that hands out IDs and answers questions, and a message log, for the processor base tests.

#include "model/TAEFieldIDs.h"
#include "model/TAEIDGenerator.h"
#include "model/TAEIntegerField.h"
#include "persist/TGVProperty.h"
#include "processing/IProcessorContext.h"
#include "processing/IUserPrompt.h"
#include "processing/RegisterProcessingBaseClasses.h"
#include "processing/TGVCPU.h"
#include "processing/TGVCPUMemorySource.h"
#include "processing/TGVFinal.h"

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace vorelt::test {

// Every message a logging processor receives, as "name:number".
inline std::vector<std::string>& MessageLog() {
    static std::vector<std::string> log;
    return log;
}

// Processors that refer to fields keep the IDs in a string property "Uses" (';' between IDs),
// so the references are saved, copied and renewed like real settings.
template <class Base> class TUsing : public Base {
public:
    using Base::Base;
    void AddUse(const std::string& id) {
        std::string v = Uses();
        SetUses(v.empty() ? id : v + ";" + id);
    }
    std::vector<std::string> UseList() const {
        std::vector<std::string> out;
        std::stringstream ss(Uses());
        std::string item;
        while (std::getline(ss, item, ';'))
            if (!item.empty()) out.push_back(item);
        return out;
    }
    void CollectFieldUses(std::string_view id, std::vector<std::string>& lines,
                          bool deep) const override {
        for (const std::string& u : UseList())
            if (u == id) lines.push_back(this->GetName() + " uses " + u);
        Base::CollectFieldUses(id, lines, deep);
    }
    void RemoveField(std::string_view id) override {
        std::string kept;
        for (const std::string& u : UseList())
            if (u != id) kept += (kept.empty() ? "" : ";") + u;
        SetUses(kept);
        Base::RemoveField(id);
    }
    void Dispatch(TAEOMSG& msg) override {
        MessageLog().push_back(this->GetName() + ":" + std::to_string(msg.Msg));
        Base::Dispatch(msg);
    }

private:
    std::string Uses() const {
        auto* p = this->Properties().template FindAs<TGVStringProperty>("Uses");
        return p ? p->GetAsString() : std::string();
    }
    void SetUses(const std::string& v) {
        auto* p = this->Properties().template FindAs<TGVStringProperty>("Uses");
        if (!p) p = this->Properties().template AddNew<TGVStringProperty>("Uses");
        p->SetAsString(v);
    }
};

class TTestFltr : public TUsing<TGVSource> {
public:
    TTestFltr() : TUsing(pkFltr) {}
    std::string ClassName() const override { return "TestFltr"; }
};

class TTestLoc : public TUsing<TGVSource> {
public:
    TTestLoc() : TUsing(pkLoc) {
        auto f = std::make_unique<TAEIntegerField>();
        f->SetFieldName("LocX");
        f->SetFlags(ffSystem); // recreated by code, as a location processor's fields are
        OwnFields().Add(std::move(f));
    }
    std::string ClassName() const override { return "TestLoc"; }
    bool IsLocated() const override { return true; }
};

class TTestPrc : public TUsing<TGVSource> {
public:
    TTestPrc() : TUsing(pkPrc) {}
    std::string ClassName() const override { return "TestPrc"; }
    TAEField* AddMathField(const std::string& name) {
        auto f = std::make_unique<TAEIntegerField>();
        f->SetFieldName(name);
        return OwnFields().Add(std::move(f));
    }
};

class TTestCrit : public TUsing<TGVSource> {
public:
    TTestCrit() : TUsing(pkCriterion) {}
    std::string ClassName() const override { return "TestCrit"; }
};

class TTestTbl : public TUsing<TGVFinal> {
public:
    TTestTbl() : TUsing(pkTbl) {}
    std::string ClassName() const override { return "TestTbl"; }
};

class TTestGr3D : public TUsing<TGVFinal> {
public:
    TTestGr3D() : TUsing(pkGr3D) {}
    std::string ClassName() const override { return "TestGr3D"; }
};

inline void RegisterTestProcessors() {
    RegisterProcessingBaseClasses();
    RegisterClass<TTestFltr>("TestFltr");
    RegisterClass<TTestLoc>("TestLoc");
    RegisterClass<TTestPrc>("TestPrc");
    RegisterClass<TTestCrit>("TestCrit");
    RegisterClass<TTestTbl>("TestTbl");
    RegisterClass<TTestGr3D>("TestGr3D");
}

// The project as the root sees it. Questions are answered by `Answer`; every text shown is
// kept.
class TTestContext : public IProcessorContext, public IUserPrompt {
public:
    explicit TTestContext(TGVCPU*& root)
        : FGenerator([&root](const std::string& id) { return root && !root->IsIDFree(id); },
                     12345) {}
    IIDGenerator* IDGenerator() override { return &FGenerator; }
    IUserPrompt* Prompt() override { return this; }
    void TopMessage(TAEOMSG& msg) override { TopMessages.push_back(msg.Msg); }
    void ShowError(const std::string& text) override { Errors.push_back(text); }
    bool AskYesNo(const std::string& text) override {
        Questions.push_back(text);
        return Answer;
    }

    bool Answer = true;
    std::vector<std::string> Errors;
    std::vector<std::string> Questions;
    std::vector<uint32_t> TopMessages;

private:
    TAEIDGenerator FGenerator;
};

// A root source with one "Database Fields" set of the given standard fields, attached to a
// context.
struct TTestTree {
    TTestTree() {
        RegisterTestProcessors();
        auto db = std::make_unique<TGVCPUMemorySource>();
        Db = db.get();
        RootPtr = Db;
        Owner = std::move(db);
        Db->SetContext(&Context);
        auto set = std::make_unique<TAEFields>();
        set->SetName("Database Fields");
        set->SetKind(fgDatabase);
        for (const char* id : {fidChan, fidAmpl, fidDeleted, fidSelected}) {
            auto f = std::make_unique<TAEIntegerField>();
            f->SetID(id);
            f->SetFieldName(std::string("F") + id);
            set->Add(std::move(f));
        }
        Db->AddSourceSet(std::move(set));
        Db->SetID("0000000000005000");
    }
    TGVCPU* RootPtr = nullptr;
    TTestContext Context{RootPtr};
    std::unique_ptr<TGVCPUMemorySource> Owner;
    TGVCPUMemorySource* Db = nullptr;
};

} // namespace vorelt::test
