// Draws the field-type icons, card pictures and the custom items' icon in resources/icons.
// Build and run once from the repository root:
//   g++ -std=c++20 -fPIC tools/make_field_icons.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/icons
//   QT_QPA_PLATFORM=offscreen /tmp/icons resources/icons
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace {

using Draw = std::function<void(QPainter &, double)>;

void person(QPainter &p, double cx, double top, double s, const QColor &colour) {
    p.setBrush(colour);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(cx, top + 0.22 * s), 0.17 * s, 0.17 * s);
    QPainterPath body;
    body.moveTo(cx - 0.32 * s, top + 0.86 * s);
    body.cubicTo(cx - 0.32 * s, top + 0.42 * s, cx + 0.32 * s, top + 0.42 * s, cx + 0.32 * s, top + 0.86 * s);
    body.closeSubpath();
    p.drawPath(body);
}

void save(const QString &folder, const QString &name, int size, const Draw &draw) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p, size);
    p.end();
    image.save(folder + u'/' + name, "PNG");
}

// A rounded square in a colour with a short white text.
Draw badge(const QColor &colour, const QString &text) {
    return [colour, text](QPainter &p, double s) {
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawRoundedRect(QRectF(1, 1, s - 2, s - 2), s * 0.22, s * 0.22);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setBold(true);
        font.setPixelSize(int(s * (text.size() > 1 ? 0.42 : 0.6)));
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 0, s, s), Qt::AlignCenter, text);
    };
}

Draw guest() {
    return [](QPainter &p, double s) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xd8, 0xdc, 0xe2));
        p.drawEllipse(QRectF(0, 0, s, s));
        person(p, s / 2, s * 0.1, s, QColor(0x8a, 0x93, 0xa0));
    };
}

Draw company() {
    return [](QPainter &p, double s) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xd8, 0xdc, 0xe2));
        p.drawRoundedRect(QRectF(0, 0, s, s), s * 0.18, s * 0.18);
        p.setBrush(QColor(0x6b, 0x77, 0x88));
        p.drawRect(QRectF(s * 0.25, s * 0.18, s * 0.5, s * 0.7));
        p.setBrush(QColor(0xd8, 0xdc, 0xe2));
        for (int row = 0; row < 4; ++row)
            for (int col = 0; col < 2; ++col)
                p.drawRect(QRectF(s * (0.32 + col * 0.2), s * (0.25 + row * 0.14), s * 0.12, s * 0.08));
    };
}

// The default icon of a custom item: a cube seen from above, three shaded faces.
Draw cube() {
    return [](QPainter &p, double s) {
        const QPointF top(s * 0.5, s * 0.08);
        const QPointF left(s * 0.1, s * 0.3);
        const QPointF right(s * 0.9, s * 0.3);
        const QPointF centre(s * 0.5, s * 0.52);
        const QPointF bottomLeft(s * 0.1, s * 0.74);
        const QPointF bottomRight(s * 0.9, s * 0.74);
        const QPointF bottom(s * 0.5, s * 0.96);
        p.setPen(QPen(QColor(0x3b, 0x4f, 0x6b), s * 0.03, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(QColor(0xa9, 0xc4, 0xe8));
        p.drawPolygon(QPolygonF{top, right, centre, left});
        p.setBrush(QColor(0x6f, 0x93, 0xc6));
        p.drawPolygon(QPolygonF{left, centre, bottom, bottomLeft});
        p.setBrush(QColor(0x4a, 0x6f, 0xa5));
        p.drawPolygon(QPolygonF{centre, right, bottomRight, bottom});
    };
}

} // namespace

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    save(folder, "user_guest.png", 32, guest());
    save(folder, "icon_standard.png", 128, guest());
    save(folder, "icon_company.png", 128, company());
    save(folder, "CompanySquare.png", 32, company());
    save(folder, "user_group.png", 32, [](QPainter &p, double s) {
        person(p, s * 0.36, s * 0.12, s * 0.8, QColor(0x8a, 0x93, 0xa0));
        person(p, s * 0.64, s * 0.2, s * 0.8, QColor(0x5a, 0x63, 0x70));
    });
    save(folder, "everyone.png", 32, [](QPainter &p, double s) {
        person(p, s * 0.25, s * 0.2, s * 0.6, QColor(0x9a, 0xa3, 0xb0));
        person(p, s * 0.75, s * 0.2, s * 0.6, QColor(0x9a, 0xa3, 0xb0));
        person(p, s * 0.5, s * 0.1, s * 0.8, QColor(0x5a, 0x63, 0x70));
    });
    save(folder, "home.png", 32, [](QPainter &p, double s) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x4a, 0x7c, 0xc4));
        QPainterPath house;
        house.moveTo(s * 0.5, s * 0.08);
        house.lineTo(s * 0.95, s * 0.5);
        house.lineTo(s * 0.82, s * 0.5);
        house.lineTo(s * 0.82, s * 0.92);
        house.lineTo(s * 0.18, s * 0.92);
        house.lineTo(s * 0.18, s * 0.5);
        house.lineTo(s * 0.05, s * 0.5);
        house.closeSubpath();
        p.drawPath(house);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(s * 0.42, s * 0.62, s * 0.16, s * 0.3));
    });
    save(folder, "icon_phone.png", 32, badge(QColor(0x34, 0xa8, 0x53), QStringLiteral("T")));
    save(folder, "icon_mail.png", 32, badge(QColor(0x2f, 0x7d, 0xe1), QStringLiteral("@")));
    save(folder, "icon_safari.png", 32, badge(QColor(0x1e, 0x90, 0xc8), QStringLiteral("W")));
    save(folder, "icon_message.png", 32, badge(QColor(0x3c, 0xb3, 0x71), QStringLiteral("M")));
    save(folder, "icon_sns.png", 32, badge(QColor(0x6a, 0x5a, 0xcd), QStringLiteral("S")));
    save(folder, "icon_department.png", 32, badge(QColor(0x70, 0x80, 0x90), QStringLiteral("D")));
    save(folder, "icon_birthday.png", 32, badge(QColor(0xe0, 0x5a, 0x7a), QStringLiteral("B")));
    save(folder, "icon_calendar.png", 32, badge(QColor(0xd9, 0x48, 0x3b), QStringLiteral("31")));
    save(folder, "icon_PhoneticName.png", 32, badge(QColor(0xb0, 0x7a, 0x3c), QStringLiteral("Aa")));
    save(folder, "icon_nickname.png", 32, badge(QColor(0xe6, 0x9a, 0x28), QStringLiteral("N")));
    save(folder, "icon_jobtitle.png", 32, badge(QColor(0x55, 0x6b, 0x2f), QStringLiteral("J")));
    save(folder, "icon_title.png", 32, badge(QColor(0x8b, 0x45, 0x13), QStringLiteral("Ti")));
    save(folder, "icon_suffix.png", 32, badge(QColor(0x99, 0x66, 0xcc), QStringLiteral("Sx")));
    save(folder, "icon_cube2.png", 128, cube());
    save(folder, "icon_note.png", 32, badge(QColor(0xd4, 0xa0, 0x17), QStringLiteral("\u270E")));
    return 0;
}
