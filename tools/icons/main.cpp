// orbisk-icons: writes the program's icon into an icon theme's folders.
//
//   orbisk-icons FOLDER NAME
//       FOLDER/<n>x<n>/apps/NAME.png for each size the desktop asks for, and
//       FOLDER/scalable/apps/NAME.svg, all from the shapes of the window's icon.
#include "core/app_icon.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

using namespace orbisk;

namespace {

// The sizes desktops look up in the hicolor theme.
constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

QString Number(qreal value) { return QString::number(value, 'g', 6); }

QByteArray Svg() {
    QByteArray svg;
    QTextStream out(&svg);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kAppIconGrid << "\" height=\""
        << kAppIconGrid << "\" viewBox=\"0 0 " << kAppIconGrid << ' ' << kAppIconGrid << "\">\n";
    for (const AppIconShape& shape : AppIconShapes()) {
        const QString fill = QColor(shape.colour).name(QColor::HexRgb);
        const QRectF& b = shape.box;
        if (shape.kind == AppIconShape::Kind::kEllipse) {
            out << "  <ellipse cx=\"" << Number(b.center().x()) << "\" cy=\""
                << Number(b.center().y()) << "\" rx=\"" << Number(b.width() / 2) << "\" ry=\""
                << Number(b.height() / 2) << "\" fill=\"" << fill << "\"/>\n";
        } else {
            out << "  <rect x=\"" << Number(b.x()) << "\" y=\"" << Number(b.y()) << "\" width=\""
                << Number(b.width()) << "\" height=\"" << Number(b.height()) << "\" fill=\"" << fill
                << "\"/>\n";
        }
    }
    out << "</svg>\n";
    out.flush();
    return svg;
}

QByteArray Png(int size) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    DrawAppIcon(size).save(&buffer, "PNG");
    return bytes;
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!bytes.isEmpty() && QDir().mkpath(QFileInfo(path).absolutePath()) &&
        file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()) {
        return true;
    }
    std::fprintf(stderr, "orbisk-icons: cannot write %s\n", qPrintable(path));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: orbisk-icons FOLDER NAME\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int size : kSizes) {
        if (!Write(QStringLiteral("%1/%2x%2/apps/%3.png").arg(folder).arg(size).arg(name),
                   Png(size))) {
            return 1;
        }
    }
    return Write(QStringLiteral("%1/scalable/apps/%2.svg").arg(folder, name), Svg()) ? 0 : 1;
}
