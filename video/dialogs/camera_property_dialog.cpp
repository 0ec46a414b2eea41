#include "video/dialogs/camera_property_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <linux/videodev2.h>

namespace orbisk {
namespace {

QString FourCcName(uint32_t fourcc) {
    return fourcc == platform::kFourCcMjpg ? QStringLiteral("MJPG") : QStringLiteral("YUY2");
}

}  // namespace

CameraControlsDialog::CameraControlsDialog(platform::CaptureDevice& device, QWidget* owner)
    : QDialog(owner) {
    setWindowTitle(QString::fromStdString(device.Info().friendlyName));
    auto* form = new QFormLayout;
    platform::CaptureDevice* dev = &device;
    for (const auto& c : device.Controls()) {
        int32_t value = static_cast<int32_t>(c.defaultValue);
        device.GetControl(c.id, value);
        const QString name = QString::fromStdString(c.name);
        const uint32_t id = c.id;
        if (c.type == V4L2_CTRL_TYPE_BOOLEAN) {
            auto* box = new QCheckBox;
            box->setChecked(value != 0);
            connect(box, &QCheckBox::toggled, this,
                    [dev, id](bool on) { dev->SetControl(id, on ? 1 : 0); });
            form->addRow(name, box);
        } else if (c.type == V4L2_CTRL_TYPE_MENU || c.type == V4L2_CTRL_TYPE_INTEGER_MENU) {
            auto* combo = new QComboBox;
            for (const auto& [index, label] : c.menu) {
                combo->addItem(QString::fromStdString(label), QVariant::fromValue<qint64>(index));
                if (index == value) combo->setCurrentIndex(combo->count() - 1);
            }
            connect(combo, &QComboBox::activated, this, [dev, id, combo](int i) {
                dev->SetControl(id, static_cast<int32_t>(combo->itemData(i).toLongLong()));
            });
            form->addRow(name, combo);
        } else if (c.type == V4L2_CTRL_TYPE_INTEGER) {
            auto* slider = new QSlider(Qt::Horizontal);
            slider->setRange(static_cast<int>(c.minimum), static_cast<int>(c.maximum));
            slider->setSingleStep(std::max<int>(1, static_cast<int>(c.step)));
            slider->setValue(value);
            auto* shown = new QLabel(QString::number(value));
            connect(slider, &QSlider::valueChanged, this, [dev, id, shown](int v) {
                shown->setText(QString::number(v));
                dev->SetControl(id, v);
            });
            auto* row = new QHBoxLayout;
            row->addWidget(slider, 1);
            row->addWidget(shown);
            form->addRow(name, row);
        }
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

CameraFormatDialog::CameraFormatDialog(const std::vector<platform::CaptureFormat>& formats,
                                       const platform::CaptureFormat& current, QWidget* owner)
    : QDialog(owner), chosen_(current) {
    setWindowTitle(tr("Capture format"));
    auto* combo = new QComboBox;
    for (size_t i = 0; i < formats.size(); ++i) {
        const auto& f = formats[i];
        combo->addItem(
            QStringLiteral("%1  %2 x %3").arg(FourCcName(f.fourcc)).arg(f.width).arg(f.height),
            static_cast<int>(i));
        if (f == current) combo->setCurrentIndex(combo->count() - 1);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, [this, combo, formats] {
        const int i = combo->currentData().toInt();
        if (i >= 0 && i < static_cast<int>(formats.size())) chosen_ = formats[i];
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(combo);
    layout->addWidget(buttons);
}

bool CameraPropertyPages::ChooseFormat(QWidget* owner,
                                       const std::vector<platform::CaptureFormat>& formats,
                                       const platform::CaptureFormat& current,
                                       platform::CaptureFormat& chosen) {
    CameraFormatDialog dialog(formats, current, owner);
    dialog.move(30, 30);
    if (dialog.exec() != QDialog::Accepted) return false;
    chosen = dialog.Chosen();
    return true;
}

void CameraPropertyPages::EditControls(QWidget* owner, platform::CaptureDevice& device) {
    CameraControlsDialog dialog(device, owner);
    dialog.exec();
}

}  // namespace orbisk
