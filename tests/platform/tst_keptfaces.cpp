// The relay buttons and input lamps draw a face once per look and copy it afterwards. What
// they show must be what drawing afresh would show, and a new caption, colour or ink must
// never show an old face.
#include "BgrColor.h"
#include "ColorButton.h"
#include "LampLabel.h"
#include "TestMain.h"

#include <QLabel>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr quint32 green = 0x0000FF00u;
constexpr quint32 red = 0x000000FFu;

QImage picture(QWidget *widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// A QLabel lit the usual way, through its palette: what a lamp must look like.
QImage plainLabel(const QString &caption, quint32 bgr, Qt::Alignment alignment, QSize size,
                  bool enabled, const QFont &font)
{
    QWidget parent;
    QLabel label(caption, &parent);
    label.setTextFormat(Qt::PlainText);
    label.setAlignment(alignment);
    label.setFont(font);
    label.setGeometry(QRect(QPoint(0, 0), size));
    label.setAutoFillBackground(true);
    QPalette palette = label.palette();
    palette.setColor(QPalette::Window, BgrColor::toColor(bgr));
    label.setPalette(palette);
    label.setEnabled(enabled);
    return picture(&label);
}

// Flips a lamp or button between two colours: each shows as it first did, and only the
// first two faces are ever drawn.
template<typename Lit>
void flipColours(Lit &lit)
{
    const QImage on = picture(&lit);
    lit.setBackColor(red);
    const QImage off = picture(&lit);
    QVERIFY(on != off);
    for (int i = 0; i < 10; ++i) {
        lit.setBackColor(i % 2 ? red : green);
        QCOMPARE(picture(&lit), i % 2 ? off : on);
    }
    QCOMPARE(lit.faceRenderCount(), 2);
}

} // namespace

class TestKeptFaces : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lampLooksAsAPlainLabel_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<quint32>("color");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("enabled");

        const int centre = int(Qt::AlignCenter);
        QTest::newRow("input name") << u"Input 1"_s << green << centre << QSize(57, 17) << true;
        QTest::newRow("off") << u"Input 8"_s << red << centre << QSize(57, 17) << true;
        QTest::newRow("ampersand shown as is")
            << u"Pump & fan"_s << green << centre << QSize(90, 17) << true;
        QTest::newRow("right to left")
            << u"\u05de\u05e9\u05d0\u05d1\u05d4"_s << red << centre << QSize(57, 17) << true;
        QTest::newRow("left aligned")
            << u"Door"_s << green << int(Qt::AlignLeft | Qt::AlignTop) << QSize(80, 30) << true;
        QTest::newRow("disabled, as enabled")
            << u"Input 3"_s << red << centre << QSize(57, 17) << false;
        QTest::newRow("empty") << QString() << green << centre << QSize(57, 17) << true;
    }

    void lampLooksAsAPlainLabel()
    {
        QFETCH(QString, caption);
        QFETCH(quint32, color);
        QFETCH(int, alignment);
        QFETCH(QSize, size);
        QFETCH(bool, enabled);

        QWidget parent;
        LampLabel lamp(caption, color, &parent);
        lamp.setAlignment(Qt::Alignment(alignment));
        lamp.setGeometry(QRect(QPoint(0, 0), size));
        lamp.setEnabled(enabled);
        // Disabled only while a dialog is open, it reads as an enabled lamp all the same.
        QCOMPARE(picture(&lamp),
                 plainLabel(caption, color, Qt::Alignment(alignment), size, true, lamp.font()));
    }

    // A name longer than its lamp or button keeps its beginning, ends in an ellipsis, and
    // is shown whole as the tooltip; a name that fits has no tooltip of ours.
    void longCaptionsAreCutAtTheEnd_data()
    {
        QTest::addColumn<bool>("lamp");
        QTest::newRow("input lamp") << true;
        QTest::newRow("macro button") << false;
    }

    void longCaptionsAreCutAtTheEnd()
    {
        QFETCH(bool, lamp);
        const QString name = u"Cooling water inlet valve"_s;
        QWidget parent;
        LampLabel lampLabel(name, green, &parent);
        lampLabel.setAlignment(Qt::AlignCenter);
        lampLabel.resize(57, 17);
        ColorButton button(name, green, &parent);
        button.resize(60, 20);
        QWidget *widget = lamp ? static_cast<QWidget *>(&lampLabel) : &button;

        const QImage cut = picture(widget);
        QCOMPARE(widget->toolTip(), name);
        if (lamp) {
            const QString shown =
                lampLabel.fontMetrics().elidedText(name, Qt::ElideRight, lampLabel.width());
            QVERIFY(shown.endsWith(QChar(0x2026)) && shown.startsWith(u"Cool"_s));
            QCOMPARE(cut, plainLabel(shown, green, Qt::AlignCenter, lampLabel.size(), true,
                                     lampLabel.font()));
        }
        // the name itself is unchanged, for the store and for screen readers
        QCOMPARE(lamp ? lampLabel.text() : button.text(), name);

        if (lamp)
            lampLabel.setText(u"Pump"_s);
        else
            button.setText(u"Pump"_s);
        picture(widget);
        QCOMPARE(widget->toolTip(), QString());

        // back to the long name: its face is kept from before, and the tooltip comes back too
        const int drawn = lamp ? lampLabel.faceRenderCount() : button.faceRenderCount();
        if (lamp)
            lampLabel.setText(name);
        else
            button.setText(name);
        QCOMPARE(picture(widget), cut);
        QCOMPARE(lamp ? lampLabel.faceRenderCount() : button.faceRenderCount(), drawn);
        QCOMPARE(widget->toolTip(), name);
        // and a wider widget, where it fits, has none
        widget->resize(400, widget->height());
        picture(widget);
        QCOMPARE(widget->toolTip(), QString());

        // a tooltip someone else set is not ours to clear
        widget->setToolTip(u"Starts the pump"_s);
        picture(widget);
        QCOMPARE(widget->toolTip(), u"Starts the pump"_s);
    }

    void keepsOneFacePerColour_data()
    {
        QTest::addColumn<bool>("lamp");
        QTest::newRow("input lamp") << true;
        QTest::newRow("relay button") << false;
    }

    void keepsOneFacePerColour()
    {
        QFETCH(bool, lamp);
        QWidget parent;
        if (lamp) {
            LampLabel lampLabel(u"Input 2"_s, green, &parent);
            lampLabel.resize(57, 17);
            flipColours(lampLabel);
        } else {
            ColorButton button(u"R1"_s, green, &parent);
            button.resize(30, 20);
            flipColours(button);
        }
    }

    // Each change that shows is drawn anew, never taken for a kept face.
    void lampDrawsAnewForWhatShows_data()
    {
        QTest::addColumn<int>("change");
        QTest::newRow("caption") << 0;
        QTest::newRow("ink") << 1;
        QTest::newRow("font") << 2;
        QTest::newRow("size") << 3;
        QTest::newRow("alignment") << 4;
    }

    void lampDrawsAnewForWhatShows()
    {
        QFETCH(int, change);
        QWidget parent;
        LampLabel lamp(u"Input 2"_s, green, &parent);
        lamp.setAlignment(Qt::AlignCenter);
        lamp.resize(57, 17);
        const QImage before = picture(&lamp);
        switch (change) {
        case 0:
            lamp.setText(u"Door open"_s);
            break;
        case 1: {
            QPalette palette = lamp.palette();
            palette.setColor(QPalette::WindowText, Qt::white);
            lamp.setPalette(palette);
            break;
        }
        case 2: {
            QFont font = lamp.font();
            font.setPixelSize(15);
            lamp.setFont(font);
            break;
        }
        case 3:
            lamp.resize(80, 17);
            break;
        case 4:
            lamp.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            break;
        }
        const QImage after = picture(&lamp);
        QVERIFY(after != before);
        QCOMPARE(lamp.faceRenderCount(), 2);
        // and what is shown is what a new lamp in that state shows
        LampLabel fresh(lamp.text(), green, &parent);
        fresh.setAlignment(lamp.alignment());
        fresh.setFont(lamp.font());
        fresh.setPalette(lamp.palette());
        fresh.resize(lamp.size());
        QCOMPARE(picture(&fresh), after);
    }

    void buttonDrawsAnewForWhatShows()
    {
        QWidget parent;
        ColorButton button(u"R1"_s, green, &parent);
        button.resize(30, 20);
        const QImage r1 = picture(&button);
        button.setText(u"R2"_s);
        const QImage r2 = picture(&button);
        QVERIFY(r2 != r1);
        ColorButton fresh(u"R2"_s, green, &parent);
        fresh.resize(30, 20);
        QCOMPARE(picture(&fresh), r2);

        QFont font = button.font();
        font.setPixelSize(16);
        button.setFont(font);
        QVERIFY(picture(&button) != r2);
        button.resize(40, 20);
        QCOMPARE(picture(&button).size(), QSize(40, 20));
    }

    // A pressed button is drawn sunken, never from the raised face, and is raised again
    // after the release.
    void pressedButtonSinks()
    {
        QWidget parent;
        ColorButton button(u"R9"_s, green, &parent);
        button.resize(30, 20);
        const QImage raised = picture(&button);
        button.setDown(true);
        const QImage sunken = picture(&button);
        QVERIFY(sunken != raised);
        button.setDown(false);
        QCOMPARE(picture(&button), raised);
    }
};

TARNWICK_TEST_MAIN(TestKeptFaces)
#include "tst_keptfaces.moc"
