// Draws the window's pictures at build time: the 288x82 logo of the main window, the
// 99x82 picture of the About window and the window icon. All three share one motif, a
// small thermal printer with a ticket coming out of it, so that they read as one family.
//
// Usage: qw77_make_pictures <output folder>
//        qw77_make_pictures --icons <output folder> <size>...   (the icon alone, per size)
#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const QColor kNavyTop(0x1d, 0x35, 0x57);
const QColor kNavyBottom(0x2b, 0x4f, 0x7a);
const QColor kPaper(0xfb, 0xfb, 0xf7);
const QColor kInk(0x33, 0x3a, 0x44);
const QColor kBodyLight(0xe3, 0xe7, 0xec);
const QColor kBodyDark(0x9a, 0xa5, 0xb1);
const QColor kAccent(0xf2, 0xa1, 0x3b);

void FillBackground(QPainter& p, const QRectF& r) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, kNavyTop);
  g.setColorAt(1, kNavyBottom);
  p.fillRect(r, g);
}

// The ticket: a paper strip with a torn top edge, a few printed lines and a barcode.
void DrawTicket(QPainter& p, const QRectF& r) {
  const int teeth = 6;
  const qreal tooth_w = r.width() / teeth;
  const qreal tooth_h = r.height() * 0.06;
  QPainterPath path;
  path.moveTo(r.left(), r.bottom());
  path.lineTo(r.left(), r.top() + tooth_h);
  for (int i = 0; i < teeth; ++i) {
    path.lineTo(r.left() + (i + 0.5) * tooth_w, r.top());
    path.lineTo(r.left() + (i + 1) * tooth_w, r.top() + tooth_h);
  }
  path.lineTo(r.right(), r.bottom());
  path.closeSubpath();
  p.setPen(QPen(QColor(0xc8, 0xcc, 0xd0), 0.8));
  p.setBrush(kPaper);
  p.drawPath(path);

  // Printed lines of different lengths, like a receipt's header.
  const qreal margin = r.width() * 0.14;
  const qreal line_h = qMax<qreal>(1.0, r.height() * 0.045);
  const qreal lengths[] = {0.72, 0.5, 0.62};
  qreal y = r.top() + tooth_h + r.height() * 0.12;
  for (qreal len : lengths) {
    p.fillRect(QRectF(r.left() + margin, y, (r.width() - 2 * margin) * len, line_h), kInk);
    y += line_h * 2.6;
  }

  // A barcode: bar widths from a fixed pattern, so every build draws the same picture.
  const int pattern[] = {2, 1, 1, 2, 3, 1, 1, 1, 2, 2, 1, 3, 1, 1, 2, 1, 1, 2};
  qreal total = 0;
  for (int w : pattern) total += w;
  const qreal unit = (r.width() - 2 * margin) / total;
  const qreal bar_top = y + line_h;
  const qreal bar_h = r.bottom() - bar_top - r.height() * 0.08;
  qreal x = r.left() + margin;
  bool black = true;
  for (int w : pattern) {
    if (black && bar_h > 0) p.fillRect(QRectF(x, bar_top, w * unit, bar_h), kInk);
    x += w * unit;
    black = !black;
  }
}

// The printer: a rounded body with the paper slot on top, a feed button and a lamp.
void DrawPrinter(QPainter& p, const QRectF& area) {
  const QRectF body(area.left(), area.top() + area.height() * 0.52, area.width(),
                    area.height() * 0.48);
  const QRectF ticket(area.left() + area.width() * 0.2, area.top(), area.width() * 0.6,
                      area.height() * 0.62);
  DrawTicket(p, ticket);

  QLinearGradient g(body.topLeft(), body.bottomLeft());
  g.setColorAt(0, kBodyLight);
  g.setColorAt(1, kBodyDark);
  p.setPen(QPen(QColor(0x5c, 0x66, 0x72), 1.0));
  p.setBrush(g);
  const qreal radius = body.height() * 0.18;
  p.drawRoundedRect(body, radius, radius);

  // The slot the ticket comes out of.
  const QRectF slot(ticket.left() - area.width() * 0.05, body.top() + body.height() * 0.14,
                    ticket.width() + area.width() * 0.1, qMax<qreal>(1.5, body.height() * 0.1));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x2a, 0x30, 0x38));
  p.drawRoundedRect(slot, slot.height() / 2, slot.height() / 2);

  // Feed button and status lamp.
  const qreal d = body.height() * 0.2;
  p.setBrush(kAccent);
  p.drawEllipse(
      QRectF(body.right() - body.width() * 0.12 - d, body.bottom() - body.height() * 0.4, d, d));
  p.setBrush(QColor(0x4c, 0xc3, 0x6a));
  p.drawEllipse(QRectF(body.left() + body.width() * 0.1, body.bottom() - body.height() * 0.36,
                       d * 0.7, d * 0.7));
}

QFont Font(qreal pixel_size, int weight) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(qRound(pixel_size));
  f.setWeight(static_cast<QFont::Weight>(weight));
  f.setHintingPreference(QFont::PreferNoHinting);
  return f;
}

QImage Canvas(int w, int h) {
  QImage image(w, h, QImage::Format_RGB888);  // 24-bit colour, as a BMP stores it
  image.fill(Qt::white);
  return image;
}

QImage MakeLogo() {
  QImage image = Canvas(288, 82);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  FillBackground(p, image.rect());
  DrawPrinter(p, QRectF(14, 8, 66, 66));

  p.setPen(Qt::white);
  p.setFont(Font(40, QFont::Bold));
  p.drawText(QRectF(96, 4, 184, 48), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("QW77"));
  p.fillRect(QRectF(98, 52, 176, 2), kAccent);
  p.setPen(QColor(0xc9, 0xd8, 0xea));
  p.setFont(Font(12, QFont::Normal));
  p.drawText(QRectF(98, 56, 184, 20), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("ticket printer workbench"));
  return image;
}

QImage MakeAboutPicture() {
  QImage image = Canvas(99, 82);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  FillBackground(p, image.rect());
  DrawPrinter(p, QRectF(22, 5, 55, 55));
  p.setPen(Qt::white);
  p.setFont(Font(15, QFont::Bold));
  p.drawText(QRectF(0, 60, 99, 20), Qt::AlignCenter, QStringLiteral("QW77"));
  return image;
}

// Drawn on a 64-unit square scaled to `size` pixels, so the desktop's icon sizes are the
// same picture as the window's.
QImage MakeIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  QPainterPath tile;
  tile.addRoundedRect(QRectF(1, 1, 62, 62), 12, 12);
  QLinearGradient g(0, 0, 0, 64);
  g.setColorAt(0, kNavyTop);
  g.setColorAt(1, kNavyBottom);
  p.fillPath(tile, g);
  DrawPrinter(p, QRectF(9, 6, 46, 50));
  return image;
}

bool Save(const QImage& image, const QDir& dir, const char* name) {
  const QString path = dir.filePath(QString::fromLatin1(name));
  if (!image.save(path)) {
    std::fprintf(stderr, "qw77_make_pictures: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // Text needs a font database; the offscreen platform gives one without a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const bool icons_only = argc >= 2 && std::strcmp(argv[1], "--icons") == 0;
  if (icons_only ? argc < 4 : argc != 2) {
    std::fprintf(stderr,
                 "usage: qw77_make_pictures <output folder>\n"
                 "       qw77_make_pictures --icons <output folder> <size>...\n");
    return 2;
  }
  const char* folder = argv[icons_only ? 2 : 1];
  QDir dir(QString::fromLocal8Bit(folder));
  if (!dir.mkpath(QStringLiteral("."))) {
    std::fprintf(stderr, "qw77_make_pictures: cannot create %s\n", folder);
    return 1;
  }
  if (icons_only) {
    // The desktop's icon theme: icon-<size>.png for each size asked for.
    for (int i = 3; i < argc; ++i) {
      const int size = std::atoi(argv[i]);
      if (size < 16 || size > 1024) {
        std::fprintf(stderr, "qw77_make_pictures: icon size %s is not 16 to 1024\n", argv[i]);
        return 2;
      }
      const QByteArray name = "icon-" + QByteArray::number(size) + ".png";
      if (!Save(MakeIcon(size), dir, name.constData())) return 1;
    }
    return 0;
  }
  const bool ok = Save(MakeLogo(), dir, "logo.bmp") && Save(MakeAboutPicture(), dir, "about.bmp") &&
                  Save(MakeIcon(64), dir, "icon.png");
  return ok ? 0 : 1;
}
