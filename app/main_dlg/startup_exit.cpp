// The main window's construction, start-up and exit.

#include "app/continuous_shoot/continuous_shoot_dlg.h"
#include "app/continuous_shoot/shoot_camera.h"
#include "app/interface_language.h"
#include "app/main_dlg/button_faces.h"
#include "app/main_dlg/camera_models.h"
#include "app/main_dlg/orbisk_dlg.h"
#include "app/main_dlg/prefix_list.h"
#include "app/splash_dlg.h"
#include "app/startup_messages.h"
#include "core/bitmap_resources.h"
#include "core/branding_data.h"
#include "core/command_ids.h"
#include "core/path_utils.h"
#include "core/temp_folder.h"
#include "documents/dialogs/multi_page_dlg.h"
#include "documents/dialogs/show_image_dlg.h"
#include "platform/program_folders.h"
#include "platform/window_messages.h"
#include "ui/custom_file_name_dlg.h"
#include "ui/fx_button.h"
#include "ui/image_tile.h"
#include "ui/my_combo_box.h"
#include "video/show_video.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace orbisk {

using namespace ids::main_dlg;

namespace {

// The logo box's picture, drawn from the branding logo.
constexpr int kLogoBitmap = 130;

// The window keeps the live picture painting while it waits.
void WaitWithEvents(int milliseconds) {
    if (milliseconds <= 0) return;
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

StartupEnvironment StartupEnvironment::Program() {
    StartupEnvironment env;
    env.brandingPath = platform::ResourcePath(QStringLiteral("data.dat"));
    env.settingsPath = platform::SettingsFolder() + QStringLiteral("/Sys.ini");
    env.cameras = ControllerCameraFactory();
    env.messages = [](const QString& text, QMessageBox::Icon icon) {
        QMessageBox box(icon, QString(), text, QMessageBox::Ok);
        box.exec();
    };
    env.askFileName = AskFileName(nullptr);
    return env;
}

COrbiskDlg::COrbiskDlg(QWidget* parent, StartupEnvironment environment)
    : QDialog(parent), env_(std::move(environment)), m_imageReplies(env_.namedWindowTimeout) {
    RegisterButtonFaces();
    m_hIcon = QIcon(QPixmap::fromImage(LoadBitmapResource(kAppIconBitmap)));
    BuildControls();
    InitLayoutState();
    qApp->installEventFilter(this);
    // A window the window system destroys without asking ends the program as
    // a close does; the program must not run on without a window.
    m_destroyWatch = std::make_unique<platform::WindowDestroyWatch>(
        [this] {
            const QWindow* window = windowHandle();
            return window && window->handle() ? static_cast<quintptr>(window->winId()) : 0;
        },
        [this] {
            QMetaObject::invokeMethod(
                this, [this] { reject(); }, Qt::QueuedConnection);
        });
}

COrbiskDlg::~COrbiskDlg() { DestroyWindow(); }

void COrbiskDlg::OnExit() { accept(); }

void COrbiskDlg::Message(int index, QMessageBox::Icon icon) {
    if (env_.messages) env_.messages(m_msgTexts[index], icon);
}

void COrbiskDlg::SetCameraModel(const QString& vid, const QString& pid) {
    m_settings.CameraModel = CameraModelOf(vid, pid);
}

bool COrbiskDlg::LoadSettingsAndFolders() {
    if (!m_settings.EnsureFile(env_.settingsPath)) return false;
    m_settings.Load();
    m_settings.SaveFolder = ComputeSaveFolder(m_settings, QDate::currentDate());
    CreateDirectoryPath(m_settings.FOLDPATH);
    CreateDirectoryPath(m_settings.SaveFolder);
    return true;
}

int COrbiskDlg::CheckCaptureServer() {
    const QString server = QString::fromLatin1(kCaptureServerTitle);
    if (!platform::NamedWindowExists(server)) return 0;
    // No answer in time counts as a busy camera.
    const auto answer = platform::SendNamedWindowMessage(server, platform::WM_SERVER_QUERY, 0, 0,
                                                         env_.namedWindowTimeout);
    return answer && *answer == kCaptureServerFree ? 0 : -1;
}

bool COrbiskDlg::OnInitDialog() {
    starting_ = true;
    setWindowIcon(m_hIcon);
    // Without the branding file no camera is known: the start-up stops there.
    if (!LoadBranding()) Quit();
    ShowBrandingCaption();
    ConnectOutsideParties();
    if (!LoadSettingsAndFolders()) {
        return StopStartup(StartupMessageText(StartupMessage::SettingsUnavailable, 0),
                           QMessageBox::Critical);
    }
    LoadMessageTexts(m_settings.Language);
    ApplyInterfaceLanguage(m_settings.Language);

    QSize largestFrame;
    const std::optional<DevicePair> pair = FindCameraPair(largestFrame);
    if (!pair) return StopStartup(kMsgNoDevice);
    ChooseDefaultResolutions(pair->document, largestFrame);
    std::unique_ptr<CSplashDlg> splash = ShowSplash();
    ShowBrandLabel();
    FillNamingControls();
    if (PrepareTempFolder().isEmpty()) Message(kMsgTempFolderFailed);
    FitPreviewRect();

    if (CheckCaptureServer() == -1) return StopStartup(kMsgDeviceBusy);
    if (!OpenDocumentCamera(pair->document.vid, pair->document.pid)) {
        return StopStartup(kMsgNoDevice);
    }
    // The portrait camera is optional.
    OpenPortraitCamera(pair->portrait.vid, pair->portrait.pid);
    if (!RunDocumentCamera()) return StopStartup(kMsgDeviceBusy, QMessageBox::Critical);
    WaitWithEvents(env_.splashMilliseconds);
    splash.reset();

    ApplyTrims();
    StoreCameraIds(*pair);
    StyleButtons();
    CreateTiles();
    InitExposure();
    m_exposureTimer = new QTimer(this);
    m_exposureTimer->setInterval(kExposureTimerPeriodMs);
    connect(m_exposureTimer, &QTimer::timeout, this, [this] { OnTimer(kExposureTimer); });
    m_exposureTimer->start();
    RestoreModes();
    StartOrientation();
    if (m_settings.CameraModel == kModelWithoutExposure) ApplyModel5Layout();
    starting_ = false;
    started_ = true;
    StartDeviceWatch();
    ReleaseHeldMessages();
    return true;
}

bool COrbiskDlg::StopStartup(int message, QMessageBox::Icon icon) {
    Message(message, icon);
    Quit();
    starting_ = false;
    ReleaseHeldMessages();
    return false;
}

bool COrbiskDlg::StopStartup(const QString& text, QMessageBox::Icon icon) {
    if (env_.messages) env_.messages(text, icon);
    Quit();
    starting_ = false;
    ReleaseHeldMessages();
    return false;
}

bool COrbiskDlg::LoadBranding() {
    // A fresh record: the reader adds to what a record holds.
    CBrandingData& branding = TheBrandingData();
    branding = CBrandingData();
    if (branding.Load(env_.brandingPath) == 0) return true;
    branding = CBrandingData();
    return false;
}

void COrbiskDlg::ShowBrandingCaption() {
    const QString& caption = TheBrandingData().caption;
    if (caption.isEmpty()) return;
    setWindowTitle(QStringLiteral("%1 (Ver%2.%3.%4.%5)").arg(caption).arg(2).arg(0).arg(13).arg(0));
}

void COrbiskDlg::ConnectOutsideParties() {
    // The preview's failures reach the operator as the window's own messages,
    // on the UI thread whichever thread met them.
    SetPreviewMessageHandler([window = QPointer<COrbiskDlg>(this)](const QString& text) {
        QMetaObject::invokeMethod(
            qApp,
            [window, text] {
                if (window && window->env_.messages) {
                    window->env_.messages(text, QMessageBox::Warning);
                }
            },
            Qt::QueuedConnection);
    });
    namedWindow_.Register(windowTitle(), [this](int message, qintptr wParam, qintptr lParam) {
        return AnswerNamedWindowMessage(message, wParam, lParam);
    });
}

std::optional<DevicePair> COrbiskDlg::FindCameraPair(QSize& largestFrame) {
    std::unique_ptr<CameraPort> probe = env_.cameras ? env_.cameras(false, 0) : nullptr;
    if (!probe) return std::nullopt;
    const std::optional<DevicePair> pair = FirstConnectedPair(
        TheBrandingData().DeviceEntries,
        [&](const CameraIdentity& id) { return probe->CountDevices(id.vid, id.pid) > 0; });
    if (!pair) return std::nullopt;
    largestFrame = probe->LargestFrameSize(pair->document.vid, pair->document.pid);
    TheBrandingData().CameraIds = CameraIdsOf(*pair);
    return pair;
}

void COrbiskDlg::ChooseDefaultResolutions(const CameraIdentity& doc, QSize largestFrame) {
    const DefaultResolution defaults = DefaultResolutionOf(doc.vid, doc.pid, largestFrame);
    if (m_settings.DocCamWidth < 0 || m_settings.DocCamHeight < 0) {
        m_settings.DocCamWidth = defaults.size.width();
        m_settings.DocCamHeight = defaults.size.height();
        m_settings.XDPI = m_settings.YDPI = defaults.dpi;
    }
    // A missing dpi key reads negative; it must never reach the image files.
    const int dpi = CameraModelOf(doc.vid, doc.pid) >= 0 || m_settings.DocCamWidth <= 0
                        ? defaults.dpi
                        : DefaultResolutionOf(doc.vid, doc.pid, {m_settings.DocCamWidth, 0}).dpi;
    if (m_settings.XDPI < 0) m_settings.XDPI = dpi;
    if (m_settings.YDPI < 0) m_settings.YDPI = dpi;
    if (m_settings.PorCamWidth < 0 || m_settings.PorCamHeight < 0) {
        m_settings.PorCamWidth = 640;
        m_settings.PorCamHeight = 480;
    }
}

std::unique_ptr<CSplashDlg> COrbiskDlg::ShowSplash() {
    auto splash = std::make_unique<CSplashDlg>();
    if (!splash->HasPicture()) return nullptr;
    splash->show();
    splash->repaint();
    return splash;
}

void COrbiskDlg::ShowBrandLabel() {
    const CBrandingData& branding = TheBrandingData();
    auto* label = Control(IDC_BRAND_LABEL);
    if (branding.labelFlag && !branding.labelText.isEmpty()) {
        m_msgTexts[kMsgBrandLabel] = branding.labelText;
        qobject_cast<QLabel*>(label)->setText(branding.labelText);
    } else if (!branding.labelFlag) {
        label->hide();
    }
}

void COrbiskDlg::FillNamingControls() {
    m_nIndexEdit = m_settings.INDEX;
    m_nNamingRule = m_settings.TypeofImageName;
    const bool prefixNaming = m_settings.TypeofImageName == int(NamingRule::PrefixAndNumber);
    m_prefixCombo->setEnabled(prefixNaming);
    Control(IDC_INDEX_EDIT)->setEnabled(prefixNaming);
    // A hand-edited Sys.ini may hold a prefix that no file name can carry.
    const QString list = GetSettings().PRECHOOSE;
    m_settings.PREFIX = PrefixInUse(m_settings.PREFIX, list, SysSettings().PREFIX);
    m_prefixCombo->Fill(list, m_settings.PREFIX);
    m_strCurrentPrefix = m_settings.PREFIX;
}

void COrbiskDlg::FitPreviewRect() {
    const QRect preview = Control(IDC_PREVIEW)->geometry().adjusted(1, 1, -1, -1);
    m_rcPreview = {preview.left(), preview.top(), preview.right() + 1, preview.bottom() + 1};
}

bool COrbiskDlg::OpenDocumentCamera(const QString& vid, const QString& pid) {
    m_pDocCamera = env_.cameras(true, 0);
    if (!m_pDocCamera || m_pDocCamera->CountDevices(vid, pid) < 1) {
        m_pDocCamera.reset();
        return false;
    }
    // Without a size (an unknown camera that lists none) the camera opens at
    // its own, and the settings take that.
    const bool sized = m_settings.DocCamWidth > 0 && m_settings.DocCamHeight > 0;
    if (sized) m_pDocCamera->SetResolution(m_settings.DocCamWidth, m_settings.DocCamHeight);
    m_pDocCamera->SetFormatPreference(m_settings.FASTMODE == 1 ? kFormatMjpg : kFormatYuy2);
    if (m_pDocCamera->Open(this, vid, pid, m_rcPreview, m_settings.CHANNELS, 0) != 0) {
        m_pDocCamera.reset();
        return false;
    }
    if (!sized) TakeDeliveredResolution();
    SetCameraModel(vid, pid);
    m_nDisplayMode = 0;
    std::vector<int> formats;
    m_pDocCamera->GetFormats(formats);
    if (std::ranges::find(formats, kFormatMjpg) != formats.end()) m_settings.FastModeAvailable = 1;
    return true;
}

void COrbiskDlg::TakeDeliveredResolution() {
    int width = 0, height = 0;
    m_pDocCamera->GetResolution(width, height);
    const DefaultResolution taken = DeliveredResolution(QSize(width, height));
    if (taken.size != QSize(width, height)) {
        m_pDocCamera->SetResolution(taken.size.width(), taken.size.height());
    }
    m_settings.DocCamWidth = taken.size.width();
    m_settings.DocCamHeight = taken.size.height();
    if (m_settings.XDPI <= 0) m_settings.XDPI = taken.dpi;
    if (m_settings.YDPI <= 0) m_settings.YDPI = taken.dpi;
}

bool COrbiskDlg::OpenPortraitCamera(const QString& vid, const QString& pid) {
    m_pPorCamera = env_.cameras(true, 0);
    if (!m_pPorCamera || m_pPorCamera->CountDevices(vid, pid) < 1) {
        m_pPorCamera.reset();
        return false;
    }
    m_pPorCamera->SetResolution(m_settings.PorCamWidth, m_settings.PorCamHeight);
    if (m_pPorCamera->Open(this, vid, pid, m_rcPreview, m_settings.CHANNELS, 1) != 0) {
        m_pPorCamera.reset();
        return false;
    }
    m_pPorCamera->Stop();
    m_pPorCamera->ShowPreview(false);
    return true;
}

bool COrbiskDlg::RunDocumentCamera() {
    if (!m_pDocCamera->Run()) return false;
    Control(IDC_PREVIEW)->hide();
    Control(IDC_PORTRAIT_PREVIEW)->hide();
    m_pDocCamera->ShowPreview(true);
    if (m_pPorCamera) m_pPorCamera->ShowPreview(false);
    return true;
}

void COrbiskDlg::ApplyTrims() {
    if (m_settings.CutLeft != 0 || m_settings.CutTop != 0 || m_settings.CutRight != 0 ||
        m_settings.CutBottom != 0) {
        m_pDocCamera->SetCropMargins(m_settings.CutLeft, m_settings.CutTop, m_settings.CutRight,
                                     m_settings.CutBottom);
    }
}

void COrbiskDlg::StoreCameraIds(const DevicePair& pair) {
    m_settings.DocCamPid = pair.document.pid;
    m_settings.DocCamVid = pair.document.vid;
    m_settings.PorCamPid = pair.portrait.pid;
    m_settings.PorCamVid = pair.portrait.vid;
}

void COrbiskDlg::StyleButtons() {
    for (const auto& [id, widget] : controls_) {
        if (auto* button = qobject_cast<CFxButton*>(widget)) button->SetTexts(QString(), true);
    }
    ApplyLanguageToControls(m_settings.Language);
    const QRgb face = palette().color(QPalette::Button).rgb();
    auto rounding = [](CFxButton* b) { b->m_sizeRound = QSize(8, 8); };
    auto colours = [face](CFxButton* b) { b->SetColors(0, true, face, face, face); };
    auto depths = [](CFxButton* b) { b->SetBorderDepths(0, true, 2, 2, 2); };
    auto style = [](CFxButton* b) { b->ApplyStyle(QImage(), 0, -1, false); };
    for (int id : {IDC_PREFERENCES, IDC_VIDEO_PARAMS, IDC_EXIT}) {
        rounding(Button(id)), colours(Button(id)), depths(Button(id)), style(Button(id));
    }
    for (const FixedButton& row : FixedButtons()) {
        CFxButton* b = Button(row.id);
        b->SetBitmaps(row.faces.normal, row.faces.fill, row.faces.pressed, row.faces.hover,
                      row.faces.disabled);
        // The rotate-left button takes its shades before its style, the others after.
        if (row.id == IDC_ROTATE_LEFT) {
            rounding(b), colours(b), depths(b), style(b);
        } else {
            rounding(b), style(b), colours(b), depths(b);
        }
    }
    for (int id : {IDC_BROWSE_IMAGES, IDC_RECOGNIZE_TEXT, IDC_PHOTOCOPY, IDC_CAPTURE_TO_PDF,
                   IDC_CAPTURE, IDC_RECORD_VIDEO, IDC_CONTINUOUS_SHOOT}) {
        rounding(Button(id)), style(Button(id)), colours(Button(id)), depths(Button(id));
    }
}

void COrbiskDlg::CreateTiles() {
    const int h = height();
    const int t = (h - 75) / 4;
    for (int i = 0; i < 4; ++i) {
        auto tile = std::make_unique<CImageTile>(-1);
        tile->Init(platform::WM_TILE_CLICKED, i, 5, 75 + i * t, 135, 75 + (i + 1) * t - 5, this,
                   true);
        tile->SetBitmap(kEmptyPictureBitmap);
        m_tiles.push_back(std::move(tile));
    }
    m_logoTile = std::make_unique<CLogoTile>();
    m_logoTile->Init(platform::WM_TILE_CLICKED, -1, 5, 10, 135, 65, this, false);
    QImage logo(129, 55, QImage::Format_RGB888);
    logo.fill(Qt::white);
    if (!TheBrandingData().logo.isNull()) {
        QPainter p(&logo);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRect(0, 0, 129, 55), TheBrandingData().logo);
    }
    RegisterBitmapResource(kLogoBitmap, logo);
    m_logoTile->SetBitmap(kLogoBitmap);
    update();
}

void COrbiskDlg::InitExposure() {
    int minimum = 0, maximum = 0;
    m_pDocCamera->GetCameraControlRange(kExposureProperty, minimum, maximum);
    m_exposureSlider->setRange(minimum, maximum);
    if (m_settings.AutoExposure) {
        // A value past the range switches the camera to automatic exposure.
        m_pDocCamera->SetCameraControl(kExposureProperty, maximum + 1);
        m_exposureSlider->setEnabled(false);
        ControlAs<QCheckBox>(IDC_AUTO_EXPOSURE)->setChecked(true);
    } else {
        m_exposureSlider->setEnabled(true);
        m_pDocCamera->SetCameraControl(kExposureProperty, m_settings.Exposure);
        ControlAs<QCheckBox>(IDC_AUTO_EXPOSURE)->setChecked(false);
    }
    m_nExposure = m_settings.Exposure;
    m_exposureSlider->setValue(m_settings.Exposure);
    PushToControls();
}

void COrbiskDlg::RestoreModes() {
    ControlAs<QCheckBox>(IDC_MULTI_PAGE_TIF)
        ->setChecked(m_settings.PDFORTIF == int(CollectionMode::MultiPageTif));
    ControlAs<QCheckBox>(IDC_ONE_PDF)
        ->setChecked(m_settings.PDFORTIF == int(CollectionMode::OnePdf));

    const int rotation = m_settings.ROTATION;
    m_settings.ROTATION = 0;
    if (rotation == 90) OnRotateRight();
    if (rotation == 180) OnRotate180();
    if (rotation == 270) OnRotateLeft();

    const bool documentShown = m_settings.CurrentCamera == 0;
    switch (m_settings.CUTPAGETYPE) {
        case int(CropMode::None):
            ControlAs<QRadioButton>(IDC_CROP_NONE)->setChecked(true);
            break;
        case int(CropMode::Automatic):
            ControlAs<QRadioButton>(IDC_CROP_AUTO)->setChecked(true);
            if (documentShown)
                m_pDocCamera->SetAutoDetect(true, m_settings.ISMUTICUTPAGE, kDocumentThreshold);
            break;
        case int(CropMode::CustomRectangle): {
            ControlAs<QRadioButton>(IDC_CROP_CUSTOM)->setChecked(true);
            CameraPort* camera = documentShown ? m_pDocCamera.get() : m_pPorCamera.get();
            if (camera) {
                camera->EnableCustomCropBox(true);
                camera->SetCustomCropRect(documentShown ? m_settings.Document : m_settings.Portrait,
                                          false);
            }
            break;
        }
        default:
            break;
    }
    if (m_settings.RECOGNIZE) ControlAs<QCheckBox>(IDC_BARCODE_NAMING)->setChecked(true);
    if (m_settings.Merge) {
        // The merge command, which also turns a collection mode off: one
        // destination at a time.
        ControlAs<QCheckBox>(IDC_MERGE)->setChecked(true);
        OnMergeImages();
    }
    const int colours[] = {IDC_COLOR_COLOR, IDC_COLOR_GRAY, IDC_COLOR_MONO};
    if (m_settings.COLOR >= int(ColourMode::Colour) &&
        m_settings.COLOR <= int(ColourMode::BlackAndWhite)) {
        ControlAs<QRadioButton>(colours[m_settings.COLOR])->setChecked(true);
    }
}

bool COrbiskDlg::NotifySibling() {
    QString title = m_settings.Caption;
    title.replace(QStringLiteral("Vantorel"), QString::fromUtf8(kSiblingDisplayName));
    if (title.isEmpty() || !platform::NamedWindowExists(title)) return false;
    return platform::SendNamedWindowMessage(title, platform::WM_SIBLING_EXIT, 0, 0,
                                            env_.namedWindowTimeout)
        .has_value();
}

void COrbiskDlg::DestroyWindow() {
    if (destroyed_) return;
    destroyed_ = true;
    if (m_exposureTimer) m_exposureTimer->stop();
    StopDeviceWatch();
    StopWorkers();
    KeepCustomCropRects();
    // A window whose start-up stopped never showed the settings: nothing of
    // it may overwrite them.
    if (started_ && !StoreSettings()) qWarning("orbisk: Sys.ini could not be written at exit");
    DeleteOwnedObjects();
    DisconnectOutsideParties();
    NotifySibling();
}

void COrbiskDlg::StopWorkers() {
    StopOrientation();
    // The inspection reads a camera controller: it ends before they go.
    if (m_pShootDlg) m_pShootDlg->StopInspectThread();
}

void COrbiskDlg::KeepCustomCropRects() {
    // The shown camera's custom rectangle decides whether custom crop stays.
    std::optional<IntRect> shownRect;
    IntRect rect;
    if (m_pDocCamera && m_pDocCamera->GetCustomCropRect(rect)) {
        m_settings.Document = rect;
        if (m_settings.CurrentCamera == 0) shownRect = rect;
    }
    if (m_pPorCamera && m_pPorCamera->GetCustomCropRect(rect)) {
        m_settings.Portrait = rect;
        if (m_settings.CurrentCamera == 1) shownRect = rect;
    }
    if (ControlAs<QRadioButton>(IDC_CROP_CUSTOM)->isChecked() && shownRect &&
        shownRect->left >= shownRect->right) {
        m_settings.CUTPAGETYPE = int(CropMode::None);
    }
}

bool COrbiskDlg::StoreSettings() {
    PullFromControls();
    m_settings.INDEX = m_nIndexEdit;
    m_settings.TypeofImageName = m_nNamingRule;
    m_settings.PREFIX = m_strCurrentPrefix;
    m_settings.ROTATION %= 360;
    return m_settings.Save();
}

void COrbiskDlg::DeleteOwnedObjects() {
    m_pDocCamera.reset();
    m_logoTile.reset();
    DeleteShootDialog();
    m_pPorCamera.reset();
    m_pPageDlg.reset();
    for (auto& tile : m_tiles) tile.reset();
    m_tiles.clear();
}

void COrbiskDlg::DisconnectOutsideParties() {
    m_destroyWatch.reset();
    SetPreviewMessageHandler(nullptr);
    CloseMessageGate();
    namedWindow_.Unregister();
}

}  // namespace orbisk
