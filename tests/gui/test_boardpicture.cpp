// The board picture, offscreen: "Board Check" opens it on the plots picked, layers switch, a finding clicked
// is centred, wheel and arrow keys move the view, and no file changes.
#include "../files.hpp"
#include "board/limits.hpp"
#include "gui/boardpicture.hpp"
#include "gui/mainwindow.hpp"
#include "platform/files.hpp"

#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

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

    // The limits row has a captioned field for each limit of the table, all inside a 1024 x 768 window; a
    // profile fills them; a tight spacing typed finds a gap, drawn as a segment with its measure; the filter
    // lists only the kind chosen while the verdict counts the whole board, with what was checked under it.
    void limitsRowProfilesAndTheFilter() {
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
        window.pressCommand(fk::model::boardCheckButton);
        fk::gui::BoardPictureWindow* picture = window.boardPicture();
        QVERIFY(picture && picture->isVisible());
        const auto& fields = picture->limitFields();
        QCOMPARE(fields.size(), fk::board::limitCount);
        picture->resize(1024, 700);
        QApplication::processEvents();
        for (size_t i = 0; i < fields.size(); ++i) {
            QCOMPARE(picture->limitCaptions()[i]->text(), QString(fk::board::limitRows[i].caption));
            QCOMPARE(picture->limitCaptions()[i]->buddy(), fields[i]);
            const QRect at(fields[i]->mapTo(picture, QPoint(0, 0)), fields[i]->size());
            QVERIFY2(QRect(0, 0, 1024, 700).contains(at) && at.width() >= 40,
                     qPrintable(picture->limitCaptions()[i]->text()));
        }
        QCOMPARE(fields[4]->placeholderText(), QString("5"));
        QCOMPARE(
            picture->checkedLabel()->text(),
            QString("Checked: holes on 2 layers, spacing and width on 2\nNot checked: the board's edge (no "
                    "outline), mask web (no solder mask layer), legend (no legend layer)"));

        // A profile fills every field it names; none of it is checked or kept until "Check again".
        QComboBox* profiles = picture->profiles();
        QCOMPARE(profiles->itemText(2), QString("milled-prototype"));
        profiles->setCurrentIndex(2);
        emit profiles->activated(2);
        QStringList texts;
        for (const auto* field : fields)
            texts << field->text();
        QCOMPARE(texts.join(' '), QString("1 12 16 16 12 12 20 8 8"));
        QVERIFY(window.session().checkOptions().empty());
        for (auto* field : fields)
            field->clear();

        // Typed by hand, the fields no longer hold the profile.
        QTest::keyClicks(fields[4], "130");
        QCOMPARE(profiles->currentIndex(), -1);
        picture->checkAgain();
        QCOMPARE(picture->findingsLabel()->text(), QString("2 findings"));
        const auto& found = picture->picture().findings;
        QCOMPARE(found.size(), size_t(2));
        QVERIFY(found[1].segment);
        QCOMPARE(QString::fromStdString(found[1].label), QString("spacing 124.15 mil"));
        QComboBox* kinds = picture->kinds();
        QStringList choices;
        for (int i = 0; i < kinds->count(); ++i)
            choices << kinds->itemText(i);
        QCOMPARE(choices.join('|'), QString("All kinds|plane-solid (1)|spacing (1)"));
        kinds->setFocus();
        QTest::keyClick(kinds, Qt::Key_Down);
        QTest::keyClick(kinds, Qt::Key_Down);
        QCOMPARE(picture->findings()->count(), 1);
        QVERIFY(picture->findings()->item(0)->text().startsWith("spacing  TOP.GBR  X 0.1445 Y 0.7971 in"));
        QCOMPARE(picture->findingsLabel()->text(), QString("2 findings"));
        // The gap clicked: the segment in the middle of the picture, shown whole.
        auto* list = picture->findings();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        const fk::model::Pixel from = picture->view().pixelOf(found[1].x1, found[1].y1),
                               to = picture->view().pixelOf(found[1].x2, found[1].y2);
        auto* canvas = reinterpret_cast<QWidget*>(picture->canvas());
        QCOMPARE(std::lround((from.x + to.x) / 2), std::lround(canvas->width() / 2.0));
        QVERIFY(std::abs(to.x - from.x) + std::abs(to.y - from.y) > 50);
        // Checked again, the kind stays chosen while it is still found.
        picture->checkAgain();
        QCOMPARE(picture->kinds()->currentText(), QString("spacing (1)"));
        QCOMPARE(picture->findings()->count(), 1);
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
