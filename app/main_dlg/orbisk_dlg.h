#pragma once

#include "app/continuous_shoot/shoot_camera.h"
#include "app/main_dlg/accelerators.h"
#include "app/main_dlg/camera_models.h"
#include "app/main_dlg/camera_port.h"
#include "app/main_dlg/capture_gate.h"
#include "app/main_dlg/column_layout.h"
#include "app/main_dlg/command_dispatch.h"
#include "app/main_dlg/image_handoff.h"
#include "app/main_dlg/message_texts.h"
#include "app/main_dlg/modes_destination.h"
#include "app/main_dlg/orientation_thread.h"
#include "core/sys_settings.h"
#include "documents/capture_road.h"
#include "platform/device_change_monitor.h"
#include "platform/named_window.h"
#include "platform/sound_player.h"
#include "platform/window_destroy_watch.h"
#include "platform/worker_thread.h"

#include <QDialog>
#include <QIcon>
#include <QMessageBox>
#include <QPointer>

#include <opencv2/core/mat.hpp>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QButtonGroup;
class QComboBox;
class QPrinter;
class QMenu;
class QPainter;
class QSlider;
class QLabel;
class QTimer;

namespace orbisk {

class CCVideoToFile;
class CContinuousShootDlg;
class CFxButton;
class CImageTile;
class IShootCamera;
class CLogoTile;
class CMultiPageDlg;
class CMyComboBox;
class CShowImageDlg;
class CSplashDlg;

// Where a message box goes: the operator's screen, or a test's record.
using MessageSink = std::function<void(const QString& text, QMessageBox::Icon icon)>;

// The files and outside parties of the start-up. The defaults are the
// program's own; tests point them elsewhere.
struct StartupEnvironment {
    QString brandingPath;  // "data.dat"
    QString settingsPath;  // "Sys.ini"
    CameraFactory cameras;
    MessageSink messages;
    // Started when page orientation is on; it runs until its stop is asked.
    // Empty: the orientation thread with `orientationDetector` (empty: the
    // recogniser's) and the template at `orientationTemplate` (empty: the
    // program's resource).
    platform::WorkerThread::Body orientationBody;
    OrientationDetectorFactory orientationDetector;
    QString orientationTemplate;
    // How long the splash stays up while the live picture starts.
    int splashMilliseconds = 1000;
    // The shared-memory block of a client that asks for the image path.
    QByteArray imageMapName = kImageMapName;
    // Asks the operator for a file name (naming rule 2).
    FileNameProvider askFileName;
    // Plays the shutter sound file without waiting for it; empty: the
    // window's own player.
    std::function<void(const QString& path)> playSound;
    // How long a message to another program's window may take: the probe of
    // the camera's owner, the notice to the sibling program, the reply to a
    // client's "Image" window.
    std::chrono::milliseconds namedWindowTimeout = std::chrono::seconds(1);
    // Told, on the thread that took it, when a message from another program
    // has been handed to the UI thread; tests wait on it.
    std::function<void()> foreignMessageQueued;
    // The text (UTF-8) of every page of an image file, nothing when the
    // recognition failed; called on a worker thread. Empty: the program's
    // recogniser.
    std::function<std::optional<std::string>(const std::string& path)> recognizePage;
    // Prepares the printer of a photocopy and says whether to print; empty:
    // the system's print dialog.
    std::function<bool(QPrinter& printer)> printSetup;
    // Runs the recording dialog; empty: modally.
    std::function<void(CCVideoToFile& dialog)> runRecording;
    // How long the device-change events must be quiet before the window
    // looks at its cameras: one look for the burst of a plug.
    std::chrono::milliseconds deviceChangeDelay{300};

    static StartupEnvironment Program();
};

// The main window. Its members are spread over one file per concern in this
// folder; a handler stays a few lines over the widget-free helpers beside it.
class COrbiskDlg : public QDialog {
  public:
    explicit COrbiskDlg(QWidget* parent = nullptr,
                        StartupEnvironment environment = StartupEnvironment::Program());
    ~COrbiskDlg() override;

    // The start-up: true when it ran to the end. After a failure QuitRequested
    // holds and the window must not run its modal loop.
    bool OnInitDialog();
    bool QuitRequested() const { return quit_; }
    // The exit sequence; once, whether or not the start-up completed.
    void DestroyWindow();

    // Runs the handler of a control, command or accelerator id; false when
    // the window has none for it, while its start-up runs and after one that
    // stopped.
    bool OnCommand(int id);
    // Answers a private window message (posted ones arrive through event(),
    // and wait there while the start-up runs); false when the window has no
    // handler for it, while its start-up runs and after one that stopped.
    bool OnWindowMessage(int message, qintptr wParam, qintptr lParam, qintptr& result);

    SysSettings GetSettings() const { return m_settings; }
    void SetPrefixList(const QString& text) { m_settings.PRECHOOSE = text; }
    void SetCameraModel(const QString& vid, const QString& pid);

    // The page-orientation thread (orientation.cpp): started when DOCCHECK is
    // on and none runs; stopped (and joined) before anything it uses goes.
    void StartOrientation();
    void StopOrientation();

    void LoadMessageTexts(int language);
    void ApplyLanguageToControls(int language);

    // Timer 100 (every second): the exposure display follows the camera
    // while exposure is automatic.
    static constexpr int kExposureTimer = 100;
    static constexpr int kExposureTimerPeriodMs = 1000;
    void OnTimer(int id);
    // The cameras came or went (camera_hotplug.cpp): a vanished document
    // camera closes both, a returning one is opened again.
    void OnDeviceChange();

    // The control of an id, null when the window has none.
    QWidget* Control(int id) const;
    template <typename T>
    T* ControlAs(int id) const {
        return qobject_cast<T*>(Control(id));
    }

    // For tests.
    const MessageTexts& Texts() const { return m_msgTexts; }
    CameraPort* DocCamera() const { return m_pDocCamera.get(); }
    CameraPort* PorCamera() const { return m_pPorCamera.get(); }
    const std::vector<std::unique_ptr<CImageTile>>& Tiles() const { return m_tiles; }
    bool OrientationRunning() const { return m_orientationThread.Running(); }
    // A thread object is kept (not yet joined).
    bool OrientationJoinable() const { return m_orientationThread.Joinable(); }
    int DocRotation() const { return m_nDocRotation; }
    int PorRotation() const { return m_nPorRotation; }
    int Exposure() const { return m_nExposure; }
    const QTimer* ExposureTimer() const { return m_exposureTimer; }
    platform::DeviceChangeMonitor* DeviceMonitor() const { return m_deviceMonitor.get(); }
    int DisplayMode() const { return m_nDisplayMode; }
    int NamingRule() const { return m_nNamingRule; }
    IntRect PreviewRect() const { return m_rcPreview; }
    QMenu* TileMenu() const { return m_tileMenu; }
    CShowImageDlg* MergeDlg() const;
    CMultiPageDlg* PageDlg() const { return m_pPageDlg.get(); }
    CContinuousShootDlg* ShootDlg() const { return m_pShootDlg.get(); }
    int StripCount() const { return m_nStripCount; }
    // The camera switch is another command's; captures only read the choice.
    void SetCurrentCameraForTest(int camera) { m_settings.CurrentCamera = camera; }

    // What a thumbnail tile stands for.
    static constexpr int kThumbnailPicture = 0;
    static constexpr int kThumbnailText = 1;

    // The sibling program's name in the window caption of the settings.
    static constexpr char kSiblingDisplayName[] = "Vantorel";
    // The program that may own the camera, and its answer when it does not.
    static constexpr char kCaptureServerTitle[] = "OrvelServer";
    static constexpr int kCaptureServerFree = 51;

  protected:
    // The accelerator keys reach their commands before the focused control
    // sees them.
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    // Start-up and exit (startup_exit.cpp): their steps in order. A step
    // that can fail says so: false when it failed.
    bool LoadBranding();
    void ShowBrandingCaption();
    void ConnectOutsideParties();
    bool LoadSettingsAndFolders();
    // The first device entry whose document camera is connected, and the
    // largest frame size that camera lists.
    std::optional<DevicePair> FindCameraPair(QSize& largestFrame);
    void ChooseDefaultResolutions(const CameraIdentity& doc, QSize largestFrame);
    // Null when the branding file has no splash picture.
    std::unique_ptr<CSplashDlg> ShowSplash();
    void ShowBrandLabel();
    void FillNamingControls();
    void FitPreviewRect();
    int CheckCaptureServer();
    bool OpenDocumentCamera(const QString& vid, const QString& pid);
    // The size the document camera opened at (or one it accepts) and a dpi
    // from it, for a camera that lists no size.
    void TakeDeliveredResolution();
    bool OpenPortraitCamera(const QString& vid, const QString& pid);
    bool RunDocumentCamera();
    void ApplyTrims();
    void StoreCameraIds(const DevicePair& pair);
    void StyleButtons();
    void CreateTiles();
    void InitExposure();
    void RestoreModes();
    // Shows the message, asks to quit and answers false: the start-up stops.
    bool StopStartup(int message, QMessageBox::Icon icon = QMessageBox::Warning);
    bool StopStartup(const QString& text, QMessageBox::Icon icon);

    void StopWorkers();
    void KeepCustomCropRects();
    bool StoreSettings();
    void DeleteOwnedObjects();
    void DisconnectOutsideParties();
    // False when no sibling window heard of the exit.
    bool NotifySibling();

    void Message(int index, QMessageBox::Icon icon = QMessageBox::Warning);
    void Quit() { quit_ = true; }
    void OnExit();

    // The controls and their data exchange (window_layout.cpp).
    void BuildControls();
    void PushToControls();
    void PullFromControls();
    // Lays the right-hand column out afresh with its left edge at `left`.
    void PlaceColumn(int left, const ColumnContents& contents);
    void ApplyModel5Layout();
    CFxButton* Button(int id) const;

    // Rotation of the current camera (rotation.cpp).
    void OnRotateLeft();
    void OnRotate180();
    void OnRotateRight();
    void Rotate(int degrees);

    // Exposure, focus, the driver's pages and the camera switch
    // (camera_commands.cpp).
    void OnHScroll();
    void OnAutoExposure();
    void OnAutoFocus();
    void OnVideoParams();
    void OnFormatProperties();
    void OnSwitchCamera();
    bool SwitchToDocumentCamera();
    bool SwitchToPortraitCamera();
    // The exposure controls from the document camera: range, value, automatic.
    void RefreshExposureControls();
    // The slider, m_nExposure and the settings take `value`; no notification.
    void ShowExposure(int value);
    // The crop radios from a camera's crop mode; CUTPAGETYPE follows.
    void ShowCropModeOf(CameraPort& camera);
    // A reopened camera gets what the start-up gave it: trims (document
    // camera) and rotation.
    void ApplyTrims(int left, int top, int right, int bottom);

    // The workers that read a controller (camera_hotplug.cpp): let go of
    // `camera` before it is deleted, and take the window's cameras again.
    void ReleaseCamera(CameraPort* camera);
    void RewireWorkers();
    // A lost stream of the document camera counts as its unplugging.
    void WatchDocCameraLoss();
    // The hot-plug's two cases.
    void CloseCamerasAfterUnplug();
    void ReopenCamerasAfterReplug();
    void StartDeviceWatch();
    void StopDeviceWatch();
    // A camera command that shows a modal page holds device changes until it
    // returns: the page belongs to the controller.
    struct DeviceChangeHold;

    // The naming, crop, colour and destination controls (modes.cpp).
    void ConnectModeControls();
    void OnNamingPrefix();
    void OnNamingTime();
    void OnNamingCustom();
    void SetNamingRule(int rule);
    void OnChangeIndex();
    qintptr OnPrefixChanged(qintptr wParam, qintptr lParam);
    void OnBarcodeNaming();
    void OnCropNone();
    void OnCropAuto();
    void OnCropCustom();
    void ShowCropMode();
    CameraPort* CurrentCamera() const;
    void OnColorModeColor();
    void OnColorModeGray();
    void OnColorModeMono();
    void SetColourMode(int mode);
    void OnMergeImages();
    void OnSaveAsOnePdf();
    void OnSaveAsMultiPageTif();
    void OnDestinationClicked(Destination clicked);
    // Merge mode goes off with its dialog open: merges a pair as OK does, or
    // tells where a single capture is, and forgets the dialog.
    void FinishMergeDialog();

    // The preferences (preferences.cpp).
    void OnSystemSettings();

    // The result of the orientation thread (orientation.cpp).
    qintptr OnOrientationResult(qintptr wParam, qintptr lParam);

    // Small window messages (command_tables.cpp).
    qintptr OnCropBoxDone(qintptr wParam, qintptr lParam);
    // Posts again what arrived while the start-up ran; drops it when the
    // start-up stopped.
    void ReleaseHeldMessages();

    // The layout on a size change (resize_layout.cpp).
    void InitLayoutState();
    void OnSize(QSize size);

    // Painting (painting.cpp).
    void OnPaint(QPainter& painter);

    // The mouse over the strip and the logo, the tile menu, browsing
    // (tile_menu.cpp).
    qintptr OnTileClicked(qintptr wParam, qintptr lParam);
    void OnTileOpen();
    void OnTileDelete();
    void OnBrowseImages();

    // The close reports of the batch dialogs (dialog_close.cpp).
    void ConnectMergeDialog(CShowImageDlg* dialog);
    void SetMergedImagePath(const QString& path);
    qintptr OnMergeDialogClosed(qintptr wParam, qintptr lParam);
    qintptr OnPageDialogClosed(qintptr wParam, qintptr lParam);

    // The image-path hand-off to a client program (image_handoff.cpp). A
    // message from another program is answered on the UI thread; the exit
    // closes the gate so that none waits for a window that has gone.
    struct MessageGate;
    void InitMessageGate();
    void CloseMessageGate();
    qintptr AnswerNamedWindowMessage(int message, qintptr wParam, qintptr lParam);
    qintptr OnImagePathRequest(qintptr wParam, qintptr lParam);
    QString ImagePathForClient() const;
    // The capture command and its road (capture.cpp).
    void OnCapture();
    void OnAccelCapture();
    qintptr OnCameraButton(qintptr wParam, qintptr lParam);
    qintptr OnShootRequest(qintptr wParam, qintptr lParam);
    // Every capture command runs through here: one at a time, and a request
    // that arrives meanwhile runs after it.
    void RunCaptureCommand(void (COrbiskDlg::*command)());
    // The capture itself.
    void Capture();
    // The current camera's cut-outs and size; empty without that camera.
    CaptureFrames GrabFrames();
    // The finished images of the current camera (for the capture variants).
    std::vector<cv::Mat> GrabAndProcessFrames();
    void SyncNamingSettings();
    static void RemoveTempFiles();
    void PlayShutterSound();
    // Tells the operator which files of the capture are missing.
    void ShowWriteFailures(const QStringList& failures);
    // Hand the written files on; false when the name the operator was asked
    // for was cancelled.
    bool HandToMergeDialog(const QStringList& written, const std::vector<std::string>& barcodes);
    bool HandToCollection(const QStringList& written, const std::vector<std::string>& barcodes,
                          int outputMode);
    // The name of a merged image or collection: the naming rule's, or the
    // first barcode's when barcode naming is on; empty when cancelled.
    QString CollectionName(const std::vector<std::string>& barcodes);

    // Saves the grabbed cut-outs under `baseName` as the capture does; the
    // saver's messages go to the operator.
    CaptureResult SaveGrab(const CaptureFrames& frames, const QString& baseName);

    // The capture variants (capture_variants.cpp, recognize_text.cpp,
    // record_video.cpp).
    void OnCaptureToPdf();
    void OnAccelCaptureToPdf();
    void CaptureToPdf();
    // One PDF beside each written image, which then goes; an image whose PDF
    // could not be written stays, with its own tile.
    void WritePdfsBeside(const QStringList& written);
    void OnPhotocopy();
    void OnAccelPhotocopy();
    void Photocopy();
    void OnRecognizeText();
    void RecognizeText();
    // The text of the image file, read off the UI thread behind a progress
    // box; nothing when the recognition failed.
    std::optional<std::string> RecognizeFile(const QString& path);
    void OnRecordVideo();
    void RecordVideo();
    // The cameras' rotation and automatic detection set again after a
    // recording.
    void RestorePreviewState();

    // The thumbnail strip (thumbnail_strip.cpp): puts one file into the
    // strip; `kind` a kThumbnail value; the picture comes from `displayPath`
    // when one is given.
    void AddThumbnail(const QString& path, std::vector<std::unique_ptr<CImageTile>>& tiles,
                      int kind, const QString& displayPath = QString());

    // Continuous shooting (continuous_shoot.cpp).
    void OnContinuousShoot();
    void OpenContinuousShootDialog();
    // Stops its inspection, then deletes it.
    void DeleteShootDialog();
    // No shots while a capture runs, so that each shot counted is taken.
    void HoldShooting(bool held);

    // Every handler of the window by id, and of its private messages
    // (command_tables.cpp).
    static const CommandEntry<COrbiskDlg> kCommands[];
    static const MessageEntry<COrbiskDlg> kMessages[];

    StartupEnvironment env_;
    bool quit_ = false;
    bool starting_ = false;  // the start-up runs
    bool started_ = false;   // the start-up ran to the end
    struct HeldMessage {
        int message;
        qintptr wParam;
        qintptr lParam;
    };
    std::vector<HeldMessage> m_heldMessages;  // posted while the start-up ran
    bool destroyed_ = false;                  // the exit sequence ran
    std::map<int, QWidget*> controls_;
    platform::NamedWindow namedWindow_;
    // Replies to the client's "Image" window go out from a thread of their own.
    platform::NamedWindowPoster m_imageReplies;

    MessageTexts m_msgTexts;
    // The merge mode is the settings' Merge, tied to check box 1035.
    SysSettings m_settings;
    QIcon m_hIcon;
    int m_nDocRotation = 0;
    int m_nPorRotation = 0;
    IntRect m_rcPreview;
    QSize m_rcClient;  // the client size of the last layout
    int m_nMenuTile = -1;
    QPoint m_ptMouse;  // the last mouse point, where the tile menu opens
    QMenu* m_tileMenu = nullptr;
    std::shared_ptr<MessageGate> m_messageGate;
    std::unique_ptr<CameraPort> m_pDocCamera;
    std::unique_ptr<CameraPort> m_pPorCamera;
    std::vector<std::unique_ptr<CImageTile>> m_tiles;
    std::unique_ptr<CLogoTile> m_logoTile;
    platform::WorkerThread m_orientationThread;
    // The document camera as the running orientation thread sees it.
    std::shared_ptr<OrientationCamera> m_orientationCamera;
    float m_fShootInterval = 5.0f;
    int m_nExposure = 0;
    QSlider* m_exposureSlider = nullptr;
    CMyComboBox* m_prefixCombo = nullptr;
    QString m_strCurrentPrefix;  // the combo's current prefix
    int m_nIndexEdit = 0;
    int m_nNamingRule = 0;
    // The crop radios by CUTPAGETYPE; the naming and colour groups need no name.
    QButtonGroup* m_cropGroup = nullptr;
    int m_nDisplayMode = -1;
    // The open merge dialog (it deletes itself when it closes), the open page
    // collection and the open continuous-shooting dialog; null when none.
    QPointer<CShowImageDlg> m_pMergeDlg;
    std::unique_ptr<CMultiPageDlg> m_pPageDlg;
    // What the shooting dialog watches; outlives the dialog.
    std::unique_ptr<ControllerShootCamera<CameraPort>> m_pShootCamera;
    // The shooting dialog watches the portrait camera.
    bool m_shootWatchesPortrait = false;
    QTimer* m_exposureTimer = nullptr;
    std::unique_ptr<platform::DeviceChangeMonitor> m_deviceMonitor;
    // The document camera reported its stream lost since the last look.
    bool m_docCameraLost = false;
    int m_deviceChangeHolds = 0;
    bool m_deviceChangePending = false;
    std::unique_ptr<CContinuousShootDlg> m_pShootDlg;
    QString m_strMergedPath;
    // Files put into the thumbnail strip since the start; never reset.
    int m_nStripCount = 0;
    // One capture command at a time; the shooting dialog makes no shots
    // while one runs.
    CaptureGate m_captureGate{[this](bool busy) { HoldShooting(busy); }};
    platform::SoundPlayer m_shutterSound;
    std::unique_ptr<platform::WindowDestroyWatch> m_destroyWatch;
};

}  // namespace orbisk
