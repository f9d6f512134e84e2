// Every number field of every window offscreen, typed into with the keyboard: "90.5" and
// "90,5" show "90,5" and are the number 90,5 where the field takes decimals; "1,2,3", "abc",
// "-" (and, where the field gives it no meaning, "") stay as typed, the field is marked, and
// OK (or leaving a settings frame's edit with Enter) is refused with the window's own message.
// The schema editor's fields are tried with the 3D view's logic tests.

#include "app/TFParametric.h"
#include "app/TFProjectOptions.h"
#include "app/TFSelSection.h"
#include "app/TFSeries.h"
#include "app/TFTestProgram.h"
#include "app/TFTestSettings.h"
#include "app/TFVariants.h"
#include "app/TPointDialog.h"
#include "app/TfrmAeFltr.h"
#include "app/TfrmAeGr.h"
#include "app/TfrmAeLoc.h"
#include "app/TfrmAePrc.h"
#include "common/TestData.h"
#include "mkdata/TGenerateDataFile.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEFields.h"
#include "model/TAEListFields.h"
#include "persist/TGVVariant.h"
#include "persist/TNumberFormat.h"
#include "processing/db/TGVDb.h"
#include "processing/filter/TGVCPUTurnOffFltr.h"
#include "processing/graph/TGVCPUGr.h"
#include "processing/graph3d/TGVCPUGr3D.h"
#include "processing/location/TGVCPULoc.h"
#include "processing/location/TLocOutMPT.h"
#include "processing/location/TVallen.h"
#include "processing/math/TGVCPUPrc.h"
#include "processing/table/TGVCPUTbl.h"
#include "project/RegisterCoreClasses.h"
#include "project/TIniApplic.h"
#include "project/TProjectAE.h"
#include "testprog/TAEParametric.h"
#include "testprog/TTestGrLine.h"
#include "view2d/RegisterView2dClasses.h"
#include "view2d/TGraphDb.h"
#include "view2d/TGraphVC.h"
#include "view2d/TLCDialog.h"
#include "view2d/TScriptedDialogs.h"
#include "view2d/TfrmAeTbl.h"
#include "view3d/RegisterView3dClasses.h"
#include "view3d/TGraph3DVC.h"
#include "view3d/TfrmAeGraph3D.h"
#include "viewmodel/dialogs/project/TVariantsRules.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

using namespace vorelt;
using vorelt::test::TScriptedDialogs;
using vorelt::test::TTempDir;

namespace {

// A refused number field carries this dynamic property (style sheets can use it too).
bool Marked(const QLineEdit* edit) {
    return edit->property("refusedNumber").toBool();
}

// One opened window with the field under test.
struct TOpened {
    std::shared_ptr<QWidget> Window;
    QLineEdit* Edit = nullptr;
    // Presses OK (or Enter in a frame's edit); true when the window took the text.
    std::function<bool()> Ok;
    // The number the window holds for the field afterwards, where it keeps one at once.
    std::function<std::optional<long double>()> Stored;
};

struct TNumberField {
    const char* Window;
    const char* Field;
    bool Decimal;    // the field takes "90,5"
    bool EmptyTaken; // an empty field has a meaning of its own (0, the field's default)
    long double Expected = 90.5L; // what "90,5" becomes (times are whole seconds)
};

bool PressOk(QDialog& d) {
    auto* box = d.findChild<QDialogButtonBox*>();
    if (!box || !box->button(QDialogButtonBox::Ok)) return false;
    d.setResult(QDialog::Rejected);
    box->button(QDialogButtonBox::Ok)->click();
    return d.result() == QDialog::Accepted;
}

QLineEdit* Edit(QWidget& w, const char* name) {
    auto* e = w.findChild<QLineEdit*>(name);
    EXPECT_NE(e, nullptr) << name;
    return e;
}

struct TNumberFieldsFixture : ::testing::Test {
    TTempDir dir;
    std::unique_ptr<TProjectAE> project;
    TScriptedDialogs dialogs;
    std::unique_ptr<TIniApplic> settings;
    TPageContext context;

    void SetUp() override {
        RegisterCoreClasses();
        RegisterView2dClasses();
        TGenerateOptions o;
        o.Format = "pci";
        o.FileName = dir.File("fields.pci");
        o.Hits = 300;
        o.Channels = 4;
        o.Seed = 3;
        std::string error;
        ASSERT_TRUE(GenerateDataFile(o, error)) << error;
        project = std::make_unique<TProjectAE>();
        ASSERT_TRUE(project->OpenDataFile(o.FileName, error)) << error;
        settings = std::make_unique<TIniApplic>(dir.Path() + "/");
        context.Project = project.get();
    }
    size_t Messages() const { return dialogs.Boxes.size(); }
    TGVDb& Db() { return project->Db(); }
    template <class T> T* Add(TGVCPU& parent) {
        T* p = parent.AddNew<T>();
        p->AssignIDs(false, *project->IDGenerator());
        Db().NameProcessors();
        return p;
    }
    const TAEField* ParametricInput() {
        TAEListFields layout;
        Db().GetFields(&layout, true);
        for (int i = 0; i < layout.FieldCount(); ++i)
            if (const TAEField* f = layout.FieldAt(i); f && f->Group() == fgParametric) return f;
        return nullptr;
    }

    // Types `typed` into the field as a user does and presses OK; checks what the window did.
    void Try(const TNumberField& f, const std::function<TOpened()>& open, const char* typed) {
        SCOPED_TRACE(std::string(f.Window) + " / " + f.Field + " / \"" + typed + "\"");
        TOpened o = open();
        ASSERT_NE(o.Edit, nullptr);
        o.Window->show();
        o.Edit->setFocus();
        o.Edit->selectAll();
        QTest::keyClick(o.Edit, Qt::Key_Backspace);
        QTest::keyClicks(o.Edit, typed);
        const QString shown = QString(typed).replace('.', ',');
        EXPECT_EQ(o.Edit->text(), shown); // the comma, and nothing dropped
        const std::string text = typed;
        const bool decimal = text == "90.5" || text == "90,5";
        const bool taken = decimal ? f.Decimal : text.empty() ? f.EmptyTaken : false;
        const size_t before = Messages();
        const bool took = o.Ok();
        if (taken) {
            EXPECT_TRUE(took);
            EXPECT_FALSE(Marked(o.Edit));
            if (decimal && o.Stored) {
                const std::optional<long double> v = o.Stored();
                ASSERT_TRUE(v.has_value());
                EXPECT_EQ(*v, f.Expected);
            }
            return;
        }
        EXPECT_FALSE(took);
        EXPECT_GT(Messages(), before); // the window says why
        EXPECT_EQ(o.Edit->text(), shown);
        if (!text.empty()) {
            EXPECT_TRUE(Marked(o.Edit));
        }
    }
    void TryAll(const TNumberField& f, const std::function<TOpened()>& open) {
        for (const char* typed : {"90.5", "90,5", "1,2,3", "abc", "", "-"})
            Try(f, open, typed);
    }

    // A settings frame commits an edit when the user leaves it with Enter.
    static std::function<bool()> EnterIn(QLineEdit* edit, std::function<bool()> changed) {
        return [edit, changed] {
            QTest::keyClick(edit, Qt::Key_Return);
            return changed();
        };
    }
    // In a window that is a dialog Enter would press its default button: the edit is left.
    static std::function<bool()> Leave(QLineEdit* edit, std::function<bool()> changed) {
        return [edit, changed] {
            emit edit->editingFinished();
            return changed();
        };
    }
};

} // namespace

TEST_F(TNumberFieldsFixture, VariantsEditor) {
    for (uint8_t kind : {TGVVariant::vkInteger, TGVVariant::vkFloat}) {
        const bool decimal = kind == TGVVariant::vkFloat;
        auto variant = std::shared_ptr<TGVVariant>(NewVariantOfKind(kind));
        TryAll({"Variant dialog", decimal ? "Variant Value (Float)" : "Variant Value (Integer)",
                decimal, false},
               [&] {
                   variant = std::shared_ptr<TGVVariant>(NewVariantOfKind(kind));
                   auto d = std::make_shared<TVariantDialog>(*variant, false);
                   d->NameEdit()->setText("Limit");
                   return TOpened{d, Edit(*d, "edVariantValue"), [d] { return PressOk(*d); },
                                  [&variant] { return variant->GetAsFloat(); }};
               });
    }
}

TEST_F(TNumberFieldsFixture, ParametricFieldDialog) {
    const TAEField* input = ParametricInput();
    ASSERT_NE(input, nullptr);
    auto fields = std::make_shared<TParametricFields>(Db());
    for (const char* name : {"edFactor", "edOffset"})
        TryAll({"Parametric field dialog", name, true, false}, [&] {
            TParametricFieldEdit e = fields->NewEdit();
            e.FieldName = e.DisplayName = "Pressure";
            e.SourceID = input->ID();
            e.FactorText = e.OffsetText = "1";
            auto d = std::make_shared<TFParametricField>(*fields, e, settings.get());
            d->Pages()->setCurrentIndex(1);
            return TOpened{d, Edit(*d, name), [d] { return PressOk(*d); },
                           [d, name] {
                               const std::string& t = std::string(name) == "edFactor"
                                                          ? d->Edit().FactorText
                                                          : d->Edit().OffsetText;
                               long double v = 0;
                               return TryStrToFloat(t, v) ? std::optional(v) : std::nullopt;
                           }};
        });
}

TEST_F(TNumberFieldsFixture, TestProgramDialogs) {
    // The dialog of one point, and of two (the second row's times follow the first's).
    for (const char* name : {"edTime0", "edLoad0", "edTime1", "edLoad1"}) {
        const std::string n = name;
        const bool time = n.find("Time") != std::string::npos;
        const size_t row = n.back() == '1' ? 1 : 0;
        TryAll({"Point dialog", name, true, false, time ? 90 : 90.5L}, [&] {
            auto d = std::make_shared<TPointDialog>(static_cast<int>(row) + 1,
                                                    TSecondsRange{0, 600}, 0, 100);
            for (size_t r = 0; r <= row; ++r) {
                d->TimeEdit(static_cast<int>(r))->setText(r == row ? "10" : "5");
                d->LoadEdit(static_cast<int>(r))->setText("10");
            }
            return TOpened{d, Edit(*d, name), [d] { return PressOk(*d); },
                           [d, time, row] {
                               const TGVCoord p = d->Points().at(row);
                               return std::optional(time ? p.X : p.Y);
                           }};
        });
    }
    TTestSectionList& sections = Db().TestSections();
    // An empty bound reads as 0: a minimum of 0 is taken, a maximum of 0 is not above it.
    for (const char* name : {"edMinValue", "edMaxValue"})
        TryAll({"Section dialog", name, false, std::string(name) == "edMinValue"}, [&] {
            auto d = std::make_shared<TSectionDialog>(sections, -1);
            d->NameEdit()->setText("Hold");
            d->MinEdit()->setText("0");
            d->MaxEdit()->setText("1000");
            return TOpened{d, Edit(*d, name), [d] { return PressOk(*d); }, nullptr};
        });
}

TEST_F(TNumberFieldsFixture, TestProgramWindowAndItsGraphSettings) {
    TTestGrLine& line = Db().TestLoadLine();
    for (const char* name : {"edMinP", "edMaxP", "edWidthLine"})
        TryAll({"Test program window", name, true, false}, [&] {
            line.SetMin(-1000);
            line.SetMax(1000);
            line.SetWidthLine(0.5L);
            auto w = std::make_shared<TFTestProgram>(*project, settings.get());
            const std::string n = name;
            auto value = [&line, n] {
                return n == "edMinP"   ? line.GetMin()
                       : n == "edMaxP" ? line.GetMax()
                                       : line.WidthLine();
            };
            const long double was = value();
            return TOpened{w, Edit(*w, name),
                           Leave(Edit(*w, name), [value, was] { return value() != was; }),
                           [value] { return std::optional(value()); }};
        });
    auto& graph = dynamic_cast<TGraphDb&>(Db().TestGraph());
    graph.ApplyDefaults();
    // The right axis ("CalcLoading", a decimal field) has a fixed range.
    for (const char* name : {"edMin", "edMax"})
        TryAll({"Test graph settings", name, true, false}, [&] {
            graph.RightAxis().SetAutoMin(false);
            graph.RightAxis().SetAutoMax(false);
            for (TAEField* b : {graph.RightAxis().Min(), graph.RightAxis().Max()})
                if (b) b->SetAsString("1");
            auto w = std::make_shared<TFTestSettings>(graph, settings.get());
            auto* box = w->findChild<QGroupBox*>("gbAixs1");
            QLineEdit* e = box ? box->findChild<QLineEdit*>(name) : nullptr;
            const bool max = std::string(name) == "edMax";
            auto value = [&graph, max] {
                const TAEField* b = max ? graph.RightAxis().Max() : graph.RightAxis().Min();
                return b ? std::optional(b->GetAsFloat()) : std::nullopt;
            };
            const auto was = value();
            return TOpened{w, e, Leave(e, [value, was] { return value() != was; }), value};
        });
}

TEST_F(TNumberFieldsFixture, SettingsFrames) {
    auto* turnOff = Add<TGVCPUTurnOffFltr>(Db());
    for (const char* name : {"edDeltaBefore", "edDeltaAfter"})
        TryAll({"Turn-off filter frame", name, false, false}, [&] {
            auto w = std::make_shared<TfrmAeTurnOff>(*turnOff, context);
            const auto before = turnOff->Condition().DeltaBefore();
            const auto after = turnOff->Condition().DeltaAfter();
            return TOpened{w, Edit(*w, name),
                           EnterIn(Edit(*w, name),
                                   [=] {
                                       return turnOff->Condition().DeltaBefore() != before ||
                                              turnOff->Condition().DeltaAfter() != after;
                                   }),
                           nullptr};
        });
    auto* location = Add<TGVCPULoc>(Db());
    for (int algorithm = 0; algorithm < 2; ++algorithm)
        for (const char* name :
             algorithm == 0 ? std::vector<const char*>{"edLockOut", "edMPT"}
                            : std::vector<const char*>{"edFHCDT", "edDT1X_MAX", "edDTNX_MAX"})
            TryAll({"Location frame", name, false, false}, [&] {
                if (algorithm == 0)
                    location->SetAlgorithm(std::make_unique<TLocOutMPT>());
                else
                    location->SetAlgorithm(std::make_unique<TVallen>());
                auto w = std::make_shared<TfrmAeLoc>(*location, context);
                auto values = [location] {
                    std::vector<long double> v;
                    if (auto* m = dynamic_cast<TLocOutMPT*>(&location->Algorithm()))
                        v = {(long double)m->LockOut(), (long double)m->MPT()};
                    if (auto* a = dynamic_cast<TVallen*>(&location->Algorithm()))
                        v = {(long double)a->FHCDT(), (long double)a->DT1X_MAX(),
                             (long double)a->DTNX_MAX()};
                    return v;
                };
                const auto was = values();
                return TOpened{w, Edit(*w, name),
                               EnterIn(Edit(*w, name), [values, was] { return values() != was; }),
                               nullptr};
            });
    auto* math = Add<TGVCPUPrc>(Db());
    int made = 0;
    TryAll({"Calculated field dialog", "edParamA (constant of Power)", true, false}, [&] {
        TAEField* field = math->AddCalcField(dtExtended, std::string());
        auto d = std::make_shared<TCalcFieldDialog>(*math, *field, false);
        const QString name = QString("Scaled%1").arg(++made);
        d->NameEdit()->setText(name);
        d->DisplayNameEdit()->setText(name);
        d->SelectFunction("Power");
        d->SelectParameterField("X", fidAmpl);
        d->ConstantEdit("K")->setText("2");
        d->ConstantEdit("A")->setText("1");
        return TOpened{std::shared_ptr<QWidget>(d, d.get()), d->ConstantEdit("A"),
                       [d] { return PressOk(*d); }, nullptr};
    });
}

TEST_F(TNumberFieldsFixture, GraphFrameAxesAndSeriesDialog) {
    auto* graph = Add<TGVCPUGr>(Db());
    auto* view = dynamic_cast<TGraphVC*>(graph->GetView());
    ASSERT_NE(view, nullptr);
    // A whole-number field on the left, a decimal one at the bottom: the bounds take what
    // their axis field takes.
    view->LeftAxis().SetFieldId(fidChan);
    view->BottomAxis().SetFieldId(fidTimeS);
    view->SetEnableRightAixs(true);
    view->RightAxis().SetFieldId(fidEnergy);
    for (auto* axis : {&view->LeftAxis(), &view->BottomAxis(), &view->RightAxis()}) {
        axis->SetAutoMin(false);
        axis->SetAutoMax(false);
    }
    ASSERT_NE(view->LeftAxis().Min(), nullptr);
    ASSERT_NE(view->BottomAxis().Min(), nullptr);
    const bool leftDecimal = IsFloatType(view->LeftAxis().Min()->DataType());
    const bool bottomDecimal = IsFloatType(view->BottomAxis().Min()->DataType());
    EXPECT_FALSE(leftDecimal);
    EXPECT_TRUE(bottomDecimal);
    ASSERT_NE(view->RightAxis().Min(), nullptr);
    const bool rightDecimal = IsFloatType(view->RightAxis().Min()->DataType());
    for (const char* name :
         {"edLeftMin", "edLeftMax", "edBottomMin", "edBottomMax", "edRightMin", "edRightMax"}) {
        const std::string n = name;
        const bool left = n.find("Left") != std::string::npos;
        const bool right = n.find("Right") != std::string::npos;
        const bool max = n.find("Max") != std::string::npos;
        TGrAixs& axis = left ? view->LeftAxis() : right ? view->RightAxis() : view->BottomAxis();
        const bool decimal = left ? leftDecimal : right ? rightDecimal : bottomDecimal;
        TryAll({"Graph frame", name, decimal, false}, [&] {
            // A bound of 1 that the typed text replaces.
            if (TAEField* b = max ? axis.Max() : axis.Min()) b->SetAsString("1");
            auto w = std::make_shared<TfrmAeGr>(*graph, context);
            w->Refresh();
            auto value = [&axis, max] {
                const TAEField* b = max ? axis.Max() : axis.Min();
                return b && !b->IsNull() ? std::optional(b->GetAsFloat()) : std::nullopt;
            };
            const auto was = value();
            QLineEdit* e = Edit(*w, name);
            return TOpened{w, e, EnterIn(e, [value, was] { return value() != was; }), value};
        });
    }

    TSeriesGr* series = view->AddSeries(stHistigram);
    for (uint8_t mode : {bnCount, bnValueInc})
        TryAll({"Series dialog", mode == bnCount ? "edBinNum (BinCount)" : "edBinNum (BinValueInc)",
                mode == bnValueInc, false},
               [&] {
                   series->SetBinNumType(mode);
                   auto d =
                       std::make_shared<TFSeries>(*series, SeriesContextOf(*view, *series), false);
                   return TOpened{d, Edit(*d, "edBinNum"), [d] { return PressOk(*d); },
                                  [series] { return std::optional(series->BinNum()); }};
               });
}

TEST_F(TNumberFieldsFixture, ProjectOptions) {
    TryAll({"Project options", "edSeverity", false, false}, [&] {
        auto d = std::make_shared<TFProjectOptions>(*project);
        return TOpened{d, Edit(*d, "edSeverity"), [d] { return PressOk(*d); }, nullptr};
    });
    for (const char* name : {"edCoordX", "edCoordY"})
        TryAll({"Coordinate dialog", name, true, false}, [&] {
            auto d = std::make_shared<TCoordDialog>(false, TGVCoord{});
            d->XEdit()->setText("1");
            d->YEdit()->setText("1");
            const bool x = std::string(name) == "edCoordX";
            return TOpened{d, Edit(*d, name), [d] { return PressOk(*d); },
                           [d, x] { return std::optional(x ? d->Point().X : d->Point().Y); }};
        });
}

TEST_F(TNumberFieldsFixture, ConditionDialogAndColumnDialog) {
    TAEListFields layout;
    Db().GetFields(&layout, true);
    for (const char* id : {fidTimeS, fidChan}) {
        const TAEField* field = layout.FindByID(id);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(IsFloatType(field->DataType()), id == fidTimeS);
        TryAll({"Condition dialog", id == fidTimeS ? "edValue (TimeS)" : "edValue (Channel)",
                IsFloatType(field->DataType()), false},
               [&] {
                   auto d = std::make_shared<TLCDialog>(layout, &project->Variants(), false);
                   d->SelectField(field);
                   return TOpened{d, Edit(*d, "edValue"), [d] { return PressOk(*d); },
                                  [d] {
                                      long double v = 0;
                                      return TryStrToFloat(d->Value(), v) ? std::optional(v)
                                                                          : std::nullopt;
                                  }};
               });
    }
    // An empty width is the field's own.
    TryAll({"Column dialog", "edColumnWidth", false, true}, [&] {
        auto d = std::make_shared<TColumnDialog>("Amplitude", false);
        return TOpened{d, Edit(*d, "edColumnWidth"), [d] { return PressOk(*d); }, nullptr};
    });
}

TEST_F(TNumberFieldsFixture, Graph3DInfoFieldDialog) {
    // The dialog is modal inside the frame: it is typed into while it runs.
    RegisterView3dClasses();
    auto* loc = Add<TGVCPULoc>(Db());
    auto* graph = Add<TGVCPUGr3D>(*loc);
    auto* view = dynamic_cast<TGraph3DVC*>(graph->GetView());
    ASSERT_NE(view, nullptr);
    TfrmAeGraph3D frame(*view);
    frame.Refresh();
    ASSERT_TRUE(frame.AddInfoField(fidAmpl));
    auto* entry = dynamic_cast<TGVProperty*>(view->Data().InfoFields().Get(0));
    ASSERT_NE(entry, nullptr);
    for (const char* typed : {"90.5", "90,5", "1,2,3", "abc", "", "-", "42"}) {
        SCOPED_TRACE(std::string("3D graph info field / edDisplayWidth / \"") + typed + "\"");
        entry->SetDisplayWidth(7);
        frame.SetCurrentInfoIndex(0);
        const size_t before = Messages();
        bool typedIn = false, marked = false;
        QString shown;
        dialogs.OnDialog = [&](QDialog& d) {
            QLineEdit* e = d.findChild<QLineEdit*>("edDisplayWidth");
            if (!e) return int(QDialog::Rejected);
            typedIn = true;
            d.show();
            e->setFocus();
            e->selectAll();
            QTest::keyClick(e, Qt::Key_Backspace);
            QTest::keyClicks(e, typed);
            shown = e->text();
            if (PressOk(d)) return int(QDialog::Accepted);
            marked = Marked(e);
            return int(QDialog::Rejected);
        };
        frame.EditInfoField();
        ASSERT_TRUE(typedIn);
        EXPECT_EQ(shown, QString(typed).replace('.', ','));
        const std::string t = typed;
        if (t == "42") {
            EXPECT_EQ(entry->GetDisplayWidth(), 42);
        } else if (t.empty()) {
            // Empty: the field's own width.
            EXPECT_NE(entry->GetDisplayWidth(), 7);
        } else {
            // A width is a whole number: the rest is refused, said and marked.
            EXPECT_EQ(entry->GetDisplayWidth(), 7);
            EXPECT_GT(Messages(), before);
            EXPECT_TRUE(marked);
        }
    }
}
