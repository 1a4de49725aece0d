// SPDX-License-Identifier: GPL-3.0-or-later
#include "code_image.h"

#include <QBuffer>
#include <QFont>
#include <QImage>
#include <QPainter>

namespace code_image {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHJKMNPQRSTUVWXYZ23456789";

QColor dark(QRandomGenerator &random)
{
    return QColor::fromHsv(random.bounded(360), 160 + random.bounded(96), 60 + random.bounded(70));
}

QColor light(QRandomGenerator &random)
{
    return QColor::fromHsv(random.bounded(360), 40 + random.bounded(60), 170 + random.bounded(60));
}

} // namespace

QByteArray random_code(QRandomGenerator &random, int length)
{
    QByteArray code;
    for (int i = 0; i < length; ++i)
        code.append(kAlphabet[random.bounded(int(sizeof kAlphabet) - 1)]);
    return code;
}

QByteArray draw_bmp(const QByteArray &code, QRandomGenerator &random)
{
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    image.fill(QColor(248, 248, 240));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 120; ++i) {
        painter.setPen(light(random));
        painter.drawPoint(random.bounded(kWidth), random.bounded(kHeight));
    }
    for (int i = 0; i < 3; ++i) {
        painter.setPen(QPen(light(random), 1));
        painter.drawLine(0, random.bounded(kHeight), kWidth, random.bounded(kHeight));
    }

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(28);
    font.setBold(true);
    painter.setFont(font);
    const int cell = kWidth / qMax(1, int(code.size()));
    for (int i = 0; i < code.size(); ++i) {
        painter.save();
        painter.translate(cell * i + cell / 2, kHeight / 2 + random.bounded(-3, 4));
        painter.rotate(random.bounded(-20, 21));
        painter.setPen(dark(random));
        painter.drawText(QRect(-cell / 2, -kHeight / 2, cell, kHeight), Qt::AlignCenter,
                         QString(QChar::fromLatin1(code[i])));
        painter.restore();
    }
    painter.end();

    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bmp;
}

} // namespace code_image
