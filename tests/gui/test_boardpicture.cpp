// The board picture, offscreen: "Board Check" opens it on the plots picked, layers switch, a finding clicked
// is centred, wheel and arrow keys move the view, and no file changes.
#include "../files.hpp"
#include "gui/boardpicture.hpp"
#include "gui/mainwindow.hpp"
#include "platform/files.hpp"

#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

class BoardPictureTest : public QObject {
    Q_OBJECT
  private slots:
    void checkOpensThePicture() {
        QTemporaryDir dir;
        fk::test::copyFilesOf(std::filesystem::path(FLASHKIT_EXAMPLES) / "fab", dir.path().toStdString());
        const std::string in = fk::platform::toPathText(dir.path().toStdString());
        fk::gui::MainWindow window(in);
        window.fnamebase()->setText("BOARD");
        window.indatapath()->setText(QString::fromStdString(in));
        window.dfnpath()->setText(QString::fromStdString(in));
        window.session().fileWindow = [&](const fk::app::PickRequest&) {
            return fk::model::PickOutcome{.chosen = in + "\\TOP.GBR ,PLANE.GBR", .browsedDirectory = in};
        };
        const auto files = fk::test::filesBelow(dir.path().toStdString());
        window.pressCommand(fk::model::boardCheckButton);
        QVERIFY(fk::test::filesBelow(dir.path().toStdString()) == files);

        fk::gui::BoardPictureWindow* picture = window.boardPicture();
        QVERIFY(picture && picture->isVisible());
        QVERIFY(picture->width() <= 1024 && picture->height() <= 768);
        QCOMPARE(picture->layers()->count(), 2);
        QCOMPARE(picture->layers()->item(1)->text(), QString("PLANE.GBR (plane)"));
        picture->layers()->item(1)->setCheckState(Qt::Unchecked);
        QVERIFY(!picture->picture().layers[1].visible);
        QCOMPARE(picture->findings()->count(), 1);
        // In columns, and none chosen yet: the picture opens on the whole board.
        QVERIFY(
            picture->findings()->item(0)->text().startsWith("plane-solid  PLANE.GBR  X 1.0000 Y 0.7000 in"));
        QCOMPARE(picture->findings()->currentRow(), -1);

        auto* canvas = reinterpret_cast<QWidget*>(picture->canvas());
        auto* list = picture->findings();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        const QPointF middle(canvas->width() / 2.0, canvas->height() / 2.0);
        QCOMPARE(QString::fromStdString(picture->view().pointerText(middle.x(), middle.y())),
                 QString("X 1.0000 in Y 0.7000 in (25.400 mm, 17.780 mm)"));
        const double scale = picture->view().pixelsPerMil();
        QWheelEvent wheel(middle, canvas->mapToGlobal(middle), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(canvas, &wheel);
        QCOMPARE(picture->view().pixelsPerMil(), scale * 1.2);
        QTest::keyClick(canvas, Qt::Key_Left);
        QVERIFY(picture->view().pointerText(middle.x(), middle.y()).starts_with("X 0.9"));
        QTest::mouseMove(canvas, middle.toPoint());
        QVERIFY(picture->pointer()->text().startsWith("X 0.9"));
        // The finding clicked again, after the pan: centred again.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        QCOMPARE(QString::fromStdString(picture->view().pointerText(middle.x(), middle.y())),
                 QString("X 1.0000 in Y 0.7000 in (25.400 mm, 17.780 mm)"));
        // The pointer off the board: no place.
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(canvas, &leave);
        QCOMPARE(picture->pointer()->text(), QString(" "));
        // The board checked again from the main window: the picture opens whole, its pointer line cleared,
        // and stays whole when the list gets the focus back (which makes its first row current); a key on the
        // row centres it.
        window.pressCommand(fk::model::boardCheckButton);
        QCOMPARE(picture->findings()->currentRow(), -1);
        QCOMPARE(picture->pointer()->text(), QString(" "));
        QCOMPARE(QString::fromStdString(picture->view().pointerText(middle.x(), middle.y())).left(6),
                 QString("X 0.75"));
        QFocusEvent focus(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(list, &focus);
        QCOMPARE(QString::fromStdString(picture->view().pointerText(middle.x(), middle.y())).left(6),
                 QString("X 0.75"));
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(QString::fromStdString(picture->view().pointerText(middle.x(), middle.y())),
                 QString("X 1.0000 in Y 0.7000 in (25.400 mm, 17.780 mm)"));
        QCOMPARE(picture->findingsLabel()->text(), QString("1 finding"));

        // A ring of 20 mil is more than the example's pads give: the check again finds their rings narrow,
        // and the limit goes into the settings, saved at close, for the next check.
        picture->limitFields()[1]->setText("20");
        picture->checkAgain();
        QVERIFY(picture->findings()->count() > 1);
        QVERIFY(picture->findings()->item(0)->text().startsWith("ring  "));
        QCOMPARE(window.session().checkOptions().at("ring"), std::string("20"));
        QVERIFY(fk::test::filesBelow(dir.path().toStdString()) == files);
    }

    // A board's folder picked: the verdict counts what was checked, and every layer's name shows whole with
    // its role in the list (KiCad's names run long), not cut at the list's edge.
    void aBoardsFolderShowsItsVerdictAndWholeNames() {
        QTemporaryDir dir;
        const std::filesystem::path board = std::filesystem::path(dir.path().toStdString()) / "rvpc";
        fk::test::copyFilesOf(std::filesystem::path(FLASHKIT_SAMPLES) / "boards" / "kicad7-rvpc", board,
                              {"Mask", "Paste", "Silkscreen"}); // its copper, outline and drill files
        fk::gui::MainWindow window(fk::platform::toPathText(dir.path().toStdString()));
        window.resize(780, 560);
        window.session().fileWindow = [&](const fk::app::PickRequest&) {
            return fk::model::PickOutcome{.chosen = fk::platform::toPathText(board) + "\\",
                                          .browsedDirectory = ""};
        };
        window.pressCommand(fk::model::boardCheckButton);
        fk::gui::BoardPictureWindow* picture = window.boardPicture();
        QVERIFY(picture && picture->isVisible());
        QCOMPARE(picture->findingsLabel()->text(), QString("Clean: 3 layers, 109 holes checked"));
        QListWidget* layers = picture->layers();
        QCOMPARE(layers->count(), 3);
        QCOMPARE(layers->item(1)->text(), QString("RVPC_Rev_B-Edge_Cuts.gbr (outline)"));
        for (int row = 0; row < layers->count(); ++row) {
            const QRect text = layers->visualItemRect(layers->item(row));
            QVERIFY2(layers->viewport()->width() >=
                         layers->fontMetrics().horizontalAdvance(layers->item(row)->text()) + 20,
                     qPrintable(layers->item(row)->text()));
            QVERIFY(text.width() > 0);
        }
    }
};

QTEST_MAIN(BoardPictureTest)
#include "test_boardpicture.moc"
