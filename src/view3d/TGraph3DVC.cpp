#include "view3d/TGraph3DVC.h"

#include "model/TAEField.h"
#include "persist/TGVFloat3DProperty.h"
#include "persist/TGVProperty.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/IProcessorContext.h"
#include "processing/TAEMessages.h"
#include "processing/graph3d/TGVCPUGr3D.h"
#include "processing/location/TGVCPUSourceLoc.h"
#include "project/TDispatchDraw.h"
#include "view3d/TBaseObj3DVisials.h"
#include "view3d/TOGLContainer.h"
#include "view3d/TOGLModeBar.h"
#include "view3d/TSceneTransformNode.h"
#include "view3d/TSchemaScene.h"
#include "viewmodel/canvas/TypesPrg.h"
#include "viewmodel/graph/TSourceMarkers.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>
#include <map>
#include <span>

namespace vorelt {

namespace {

QColor ToQColor(TColor c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

} // namespace

TGraph3DVC::TGraph3DVC(TGVCPUGr3D* processor) : TPanelVC(processor) {
    Properties().Add(std::make_unique<TGVFloat3DProperty>("Ang", 40, 40, 0));
    Properties().Add(std::make_unique<TGVFloat3DProperty>("Add", 0, 0, 0));

    auto* sceneRow = new QWidget(Content());
    FContainer = new TOGLContainer(sceneRow);
    FModeBar = new TOGLModeBar(*FContainer, Content());
    FModeBar->OnFocusRequest = [this] { RequestFocus(); };
    ContentLayout()->addWidget(FModeBar);

    auto* row = new QHBoxLayout(sceneRow);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    FContainer->SetBorderStyle(1);
    FContainer->SetAxisColor(QColor(0, 0, 0));
    FContainer->SetLabelColor(QColor(255, 255, 255));
    row->addWidget(FContainer, 1);
    FLegend = new QLabel(sceneRow);
    FLegend->setObjectName("lblActivity");
    FLegend->setTextFormat(Qt::RichText);
    FLegend->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    FLegend->setMinimumWidth(150);
    FLegend->hide();
    row->addWidget(FLegend);
    ContentLayout()->addWidget(sceneRow, 1);

    FContainer->OnNotify = [this](TOGLContainer&, int32_t) { UpdateAppearance(); };
    FContainer->OnStatusText = [this](TOGLContainer&, const std::string& text) {
        if (IProcessorContext* context = FProcessor ? FProcessor->Context() : nullptr)
            context->ViewStatus(text);
    };
    FContainer->OnShortCut = [this](TOGLContainer&, const std::string& text) {
        return ShortCut(text);
    };
    FContainer->OnClickPoint = [this](TOGLContainer& c, int32_t, int32_t, int32_t) {
        c.setFocus();
        if (OnPopupMenu) ShowPopup(QCursor::pos());
    };
    FContainer->OnClick = [this](TOGLContainer&) { RequestFocus(); };
    // The turn, shift and zoom are saved with the view, so changing them changes the project.
    FContainer->OnSceneChanged = [this](TOGLContainer&) {
        if (FProcessor) FProcessor->NotifyModified();
    };
    UpdateAppearance();
}

TGraph3DVC::~TGraph3DVC() = default;

TGVCPUGr3D* TGraph3DVC::Graph() const {
    return static_cast<TGVCPUGr3D*>(FProcessor);
}

TGraph3DData& TGraph3DVC::Data() const {
    return Graph()->Data();
}

std::string TGraph3DVC::TitleText() const {
    auto* caption = Panel()->findChild<QLabel*>("lCaption");
    return caption ? caption->text().toStdString() : std::string();
}

void TGraph3DVC::RequestFocus() {
    if (!FFocused) {
        if (FProcessor) {
            TAEOMSG msg;
            msg.Msg = omTakeFocus;
            msg.Text = FProcessor->ID();
            FProcessor->SendUp(msg);
        }
        SetFocusedView(true);
    }
    FContainer->setFocus(Qt::OtherFocusReason);
}

void TGraph3DVC::SendToProject(uint32_t number) {
    if (!FProcessor) return;
    TAEOMSG msg;
    msg.Msg = number;
    msg.Text = FProcessor->ID();
    if (IProcessorContext* context = FProcessor->Top()->Context()) context->TopMessage(msg);
}

bool TGraph3DVC::ShortCut(const std::string& text) {
    if (!FFocused) return false;
    const std::string t = UpperCase(Trim(text));
    if (t.find('L') != std::string::npos) {
        SendToProject(omReloadView);
        return true;
    }
    if (t.find('W') != std::string::npos)
        SendToProject(t.find('-') != std::string::npos ? omRestoreRect : omFillPage);
    return false;
}

// --- Scene ----------------------------------------------------------------------------------

void TGraph3DVC::RebuildScene() {
    const bool activity = FActive && Data().ShowActivity();
    std::map<int32_t, int32_t> levels;
    if (activity)
        for (const TActivityEntry& e : Data().ActivityLegend())
            levels[e.Channel] = e.Level;
    BuildSchemaScene(*FContainer, Data().Schema(), [activity, &levels](const TSchemaShape& s) {
        if (!activity) return TPAEObj3DVisials::DefaultColor;
        const auto it = levels.find(s.Channel);
        return ActivityColor(it == levels.end() ? 0 : it->second);
    });
    AddSourceMarkers();
    UpdateLegend();
}

void TGraph3DVC::AddSourceMarkers() {
    FSourceMarkers = 0;
    TGVCPUSourceLoc* source = FActive ? SourceLocationAbove(Graph()) : nullptr;
    if (!source) return;
    // Directly below the source-location processor the collected records are its events, as
    // far as the graph reads them; further down every located event shows.
    std::span<const int32_t> events;
    if (Graph()->Parent() == source) events = Data().RecordPositions();
    const std::vector<TSourceMarker> markers = SourceMarkers(*source, Data().Schema(), events);
    if (markers.empty()) return;
    std::vector<TSourceMarksObj3DVisials::TMark> marks;
    marks.reserve(markers.size());
    for (const TSourceMarker& m : markers)
        marks.push_back({static_cast<float>(m.At.X), static_cast<float>(m.At.Y),
                         static_cast<float>(m.At.Z), m.Color});
    FSourceMarkers = static_cast<int>(marks.size());
    FContainer->AddVisual(std::make_unique<TSourceMarksObj3DVisials>(std::move(marks)));
}

void TGraph3DVC::UpdateLegend() {
    if (!FActive || !Data().ShowActivity()) {
        FLegend->hide();
        FLegend->clear();
        return;
    }
    const std::vector<TActivityEntry> legend = Data().ActivityLegend();
    QString html = "<b>First hits</b><table cellspacing=\"1\">";
    bool unplacedHeading = false;
    for (const TActivityEntry& e : legend) {
        if (e.Sensor.empty() && !unplacedHeading) {
            html += "<tr><td colspan=\"3\"><br><b>No sensor</b></td></tr>";
            unplacedHeading = true;
        }
        const QString colour = QString("#%1").arg(ActivityColor(e.Level), 6, 16, QChar('0'));
        html += QString("<tr><td><span style=\"color:%1\">&#9632;</span></td>"
                        "<td>%2</td><td align=\"right\">%3</td></tr>")
                    .arg(colour, QString::number(e.Channel), QString::number(e.FirstHits));
    }
    if (legend.empty()) html += "<tr><td>No hits</td></tr>";
    html += "</table>";
    FLegend->setText(html);
    FLegend->show();
}

// --- Visual class ---------------------------------------------------------------------------

void TGraph3DVC::SetActive(bool value) {
    TPanelVC::SetActive(value);
    Data().ClearRecords();
    FContainer->ClearVisuals();
    if (FActive && !Graph()->CollectRecords()) TPanelVC::SetActive(false);
    RebuildScene();
    UpdateAppearance();
}

void TGraph3DVC::SetFocusedView(bool value) {
    const bool changed = value != FFocused;
    TPanelVC::SetFocusedView(value);
    if (!changed || !FContainer) return;
    if (value)
        FContainer->setFocus(Qt::OtherFocusReason);
    else
        FContainer->Perform(oglCancelMode, 0);
    UpdateAppearance();
}

std::string TGraph3DVC::GetCaption() const {
    const std::string name = FProcessor ? FProcessor->Name() : std::string();
    const std::string title = Title();
    if (title.empty()) return name;
    return title + " [" + name + "]";
}

void TGraph3DVC::UpdateAppearance() {
    TPanelVC::UpdateAppearance();
    if (!FContainer) return;
    auto* caption = Panel()->findChild<QLabel*>("lCaption");
    auto* title = Properties().FindAs<TGVProperty>("Title");
    const uint8_t align = title ? title->GetAlignment() : TGVProperty::AlignLeft;
    QString text = QString::fromStdString(GetCaption());
    if (align == TGVProperty::AlignLeft) text = QString(10, ' ') + text;
    if (FContainer->Core().Mode() != cmWait)
        text += " [" + QString::fromStdString(FContainer->ModeText()) + "]";
    if (caption) {
        caption->setText(text);
        caption->setAlignment(align == TGVProperty::AlignRight ? Qt::AlignRight | Qt::AlignVCenter
                              : align == TGVProperty::AlignCenter
                                  ? Qt::AlignCenter
                                  : Qt::AlignLeft | Qt::AlignVCenter);
        QFont bold = caption->font();
        bold.setBold(true);
        caption->setFont(bold);
    }
    QPalette pal = FModeBar->palette();
    pal.setColor(QPalette::Window, FFocused ? QApplication::palette().color(QPalette::Base)
                                            : Panel()->palette().color(QPalette::Window));
    FModeBar->setAutoFillBackground(true);
    FModeBar->setPalette(pal);
    FContainer->SetBackColor(FActive ? ToQColor(ColorScheme(FColorSchemeIndex).Background)
                                     : ToQColor(clBtnFace));
    FModeBar->UpdateButtons();
    FContainer->Redraw();
    Panel()->update();
}

bool TGraph3DVC::Configured() const {
    return Data().Schema() != nullptr;
}

bool TGraph3DVC::ReportFieldUse(const std::string& fieldId, std::vector<std::string>& lines) {
    if (!Data().UsesField(fieldId)) return false;
    const TAEField* field = FProcessor ? FProcessor->FindField(fieldId) : nullptr;
    const std::string line = "Field: " + (field ? field->FieldName() : std::string()) + "[" +
                             (FProcessor ? FProcessor->Name() : std::string()) + "]";
    if (std::find(lines.begin(), lines.end(), line) == lines.end()) lines.push_back(line);
    return true;
}

bool TGraph3DVC::UsesField(const std::string& fieldId) const {
    return Data().UsesField(fieldId);
}

void TGraph3DVC::RemoveField(const std::string& fieldId) {
    Data().RemoveField(fieldId);
}

void TGraph3DVC::ViewMessage(TAEOMSG& msg) {
    switch (msg.Msg) {
    case omDataChanged:
        if (FActive) {
            SetActive(false);
            SetOutdated(true);
        } else {
            SetActive(false);
        }
        UpdateAppearance();
        return;
    case omSourceState:
        SetActive(false);
        RefreshAxisCaptions();
        UpdateAppearance();
        return;
    case omColorScheme: {
        const auto index = static_cast<uint8_t>(msg.WParam);
        if (index != FColorSchemeIndex) {
            FColorSchemeIndex = index;
            UpdateAppearance();
        }
        return;
    }
    case omDeletedAdded:
    case omDeletedRemoved:
        UpdateAppearance();
        return;
    default:
        TPanelVC::ViewMessage(msg);
    }
}

void TGraph3DVC::SettingsChanged(bool propagate) {
    if (propagate) SetActive(false);
    UpdateAppearance();
}

void TGraph3DVC::Graph3DSchemaChanged() {
    RebuildScene();
    UpdateAppearance();
}

void TGraph3DVC::Relayout() {
    // The content came back from the detached window: a context of the new window.
    FContainer->ReleaseContext();
    UpdateAppearance();
}

QList<QAction*> TGraph3DVC::PopupItems() {
    if (!FEditAction) {
        FEditAction = new QAction("Edit", Panel());
        FEditAction->setObjectName("mGVVisualClass");
        QObject::connect(FEditAction, &QAction::triggered, Panel(), [this] {
            if (OnEditSettings) OnEditSettings(*this);
        });
    }
    return {FEditAction};
}

// --- Persistence ----------------------------------------------------------------------------

void TGraph3DVC::SaveToNode(TNodePersist& node) const {
    TGVVisualClass::SaveToNode(node);
    node.AddItem(ItemShowActivity, Data().ShowActivity() ? "1" : "0");
    Data().SaveSchema(node);
    SaveSlaveWindow(node);
    Data().SaveInfoFields(node);
    TOGLManipulator& scene = FContainer->Manipulator();
    SaveSceneTransform(node, scene.Scene());
    scene.MarkSaved();
}

void TGraph3DVC::LoadFromNode(const TNodePersist& node) {
    TPanelVC::LoadFromNode(node);
    if (node.IndexOfItem(ItemShowActivity) >= 0)
        Data().SetShowActivity(Trim(node.GetValue(ItemShowActivity)) != "0");
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist& part = *node.Node(i);
        if (SameTextTrimmed(part.Name(), NodeSchema))
            Data().LoadSchema(part, FProcessor ? FProcessor->Top() : nullptr);
        else if (SameTextTrimmed(part.Name(), NodeFieldsInfo))
            Data().LoadInfoFields(part);
    }
    // Views saved without a transformation show the standard view.
    TSceneTransform scene;
    if (const TNodePersist* part = node.FindNode(NodeScene)) LoadSceneTransform(*part, scene);
    FContainer->Manipulator().SetScene(scene);
    FContainer->Manipulator().MarkSaved();
    RebuildScene();
    UpdateAppearance();
}

} // namespace vorelt
