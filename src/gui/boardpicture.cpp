// The board picture window in Qt: the limits row, the layers, the picture and the findings filtered by kind.
#include "gui/boardpicture.hpp"

#include "dialogs/selectfile.hpp"
#include "gui/picturecanvas.hpp"
#include "model/picturewindow.hpp"

#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace fk::gui {

using dialogs::toQt;

// The findings: a click or a key on a row centres its finding. The list taking the focus makes its first row
// current, as Qt's lists do, and must not: the picture opens on the whole board whatever has the focus.
class FindingList : public QListWidget {
  public:
    std::function<void(int)> chosen;

  protected:
    void keyPressEvent(QKeyEvent* e) override {
        const int before = currentRow();
        QListWidget::keyPressEvent(e);
        const bool moves = e->key() == Qt::Key_Up || e->key() == Qt::Key_Down || e->key() == Qt::Key_Home ||
                           e->key() == Qt::Key_End || e->key() == Qt::Key_PageUp ||
                           e->key() == Qt::Key_PageDown || e->key() == Qt::Key_Return ||
                           e->key() == Qt::Key_Enter || e->key() == Qt::Key_Space;
        if (currentRow() >= 0 && (moves || currentRow() != before) && chosen)
            chosen(currentRow());
    }
};

BoardPictureWindow::BoardPictureWindow(model::Session& session, QWidget* parent)
    : QDialog(parent), session_(session) {
    setWindowTitle("Board Check");
    layers_ = new QListWidget;
    auto* findings = new FindingList;
    findings->chosen = [this](int row) { showFinding(row); };
    findings_ = findings;
    findingsLabel_ = new QLabel("Findings");
    checkedLabel_ = new QLabel;
    checkedLabel_->setWordWrap(true);
    kinds_ = new QComboBox;
    kinds_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    pointer_ = new QLabel(" ");
    canvas_ = new PictureCanvas(picture_, view_, pointer_, this);
    // Layers beside the picture; the findings under both, full width, so that their lines show whole.
    auto* side = new QWidget;
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    auto* layersLabel = new QLabel(model::layersCaption);
    layersLabel->setBuddy(layers_);
    sideLayout->addWidget(layersLabel);
    sideLayout->addWidget(layers_, 1);
    board_ = new QSplitter;
    board_->addWidget(side);
    board_->addWidget(canvas_);
    board_->setStretchFactor(1, 1);
    board_->setSizes({180, 780});
    // The verdict for the whole board, the filter at its right, what was checked under it, then the list.
    auto* head = new QHBoxLayout;
    head->addWidget(findingsLabel_, 1);
    auto* kindLabel = new QLabel(model::kindCaption);
    kindLabel->setBuddy(kinds_);
    head->addWidget(kindLabel);
    head->addWidget(kinds_);
    auto* below = new QWidget;
    auto* belowLayout = new QVBoxLayout(below);
    belowLayout->setContentsMargins(0, 0, 0, 0);
    belowLayout->addLayout(head);
    belowLayout->addWidget(checkedLabel_);
    belowLayout->addWidget(findings_, 1);
    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(board_);
    splitter->addWidget(below);
    splitter->setStretchFactor(0, 1);
    splitter->setSizes({480, 150});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(limitsRow());
    layout->addWidget(splitter, 1);
    layout->addWidget(pointer_);
    connect(layers_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        picture_.layers.at(static_cast<size_t>(layers_->row(item))).visible =
            item->checkState() == Qt::Checked;
        canvas_->update();
    });
    // A click centres on the finding every time, also on the row already chosen (after a pan or zoom).
    connect(findings_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showFinding(findings_->row(item)); });
    connect(kinds_, &QComboBox::activated, this, &BoardPictureWindow::chooseKind);
    findings_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    fitLimits(980); // the fields on as many lines as that width needs, so that the window can be that narrow
    resize(980, 700); // within a 1024 x 768 screen
}

// A caption and a field per limit of the table, in mils (or "0.13mm"), empty for the default; on as many
// lines as the window's width needs. Then the profiles and "Check again". Kept with the settings.
QWidget* BoardPictureWindow::limitsRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    limitGrid_ = new QGridLayout;
    for (const auto& limit : session_.checkLimits()) {
        auto* field = new QLineEdit;
        field->setMinimumWidth(48);
        auto* label = new QLabel(toQt(limit.caption));
        label->setBuddy(field);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        limitLabels_.push_back(label);
        limits_.push_back(field);
        connect(field, &QLineEdit::returnPressed, this, &BoardPictureWindow::checkAgain);
        // A field changed by hand no longer holds the profile chosen.
        connect(field, &QLineEdit::textEdited, this, [this] { profiles_->setCurrentIndex(-1); });
    }
    unit_ = new QLabel("mil");
    placeLimits(static_cast<int>(limits_.size()));
    layout->addLayout(limitGrid_, 1);
    rowEnd_ = new QWidget;
    auto* end = new QGridLayout(rowEnd_);
    end->setContentsMargins(0, 0, 0, 0);
    profiles_ = new QComboBox;
    profiles_->setMinimumWidth(120);
    auto* profileLabel = new QLabel(model::profileCaption);
    profileLabel->setBuddy(profiles_);
    auto* again = new QPushButton(model::checkAgainCaption);
    end->addWidget(profileLabel, 0, 0);
    end->addWidget(profiles_, 0, 1);
    end->addWidget(again, 1, 1);
    layout->addWidget(rowEnd_, 0, Qt::AlignTop);
    connect(again, &QPushButton::clicked, this, &BoardPictureWindow::checkAgain);
    connect(profiles_, &QComboBox::activated, this, &BoardPictureWindow::chooseProfile);
    return row;
}

// The fields `perLine` to a line, each field's column taking a share of the width; the unit after the first.
void BoardPictureWindow::placeLimits(int perLine) {
    if (perLine == perLine_)
        return;
    perLine_ = perLine;
    for (size_t i = 0; i < limits_.size(); ++i) {
        limitGrid_->removeWidget(limitLabels_[i]);
        limitGrid_->removeWidget(limits_[i]);
    }
    limitGrid_->removeWidget(unit_);
    for (int column = 0; column <= 2 * static_cast<int>(limits_.size()); ++column)
        limitGrid_->setColumnStretch(column, column % 2 && column < 2 * perLine ? 1 : 0);
    for (size_t i = 0; i < limits_.size(); ++i) {
        const int line = static_cast<int>(i) / perLine, column = 2 * (static_cast<int>(i) % perLine);
        limitGrid_->addWidget(limitLabels_[i], line, column);
        limitGrid_->addWidget(limits_[i], line, column + 1);
    }
    limitGrid_->addWidget(unit_, 0, 2 * perLine);
}

void BoardPictureWindow::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    fitLimits(width());
}

// As many fields to a line as a window `width` pixels wide holds beside the profiles and "Check again".
void BoardPictureWindow::fitLimits(int width) {
    int label = 0;
    for (const auto* l : limitLabels_)
        label = std::max(label, l->sizeHint().width());
    const int spacing = limitGrid_->horizontalSpacing() > 0 ? limitGrid_->horizontalSpacing() : 6;
    const int each = label + limits_.front()->minimumWidth() + 2 * spacing;
    const QMargins margins = layout()->contentsMargins();
    const int room = width - margins.left() - margins.right() - rowEnd_->sizeHint().width() -
                     unit_->sizeHint().width() - 3 * spacing;
    placeLimits(model::fieldsPerLine(static_cast<int>(limits_.size()), each, room));
}

// A profile chosen: every field it names takes its limit; the user may change any before checking again.
void BoardPictureWindow::chooseProfile(int index) {
    if (index < 0)
        return;
    std::vector<model::LimitText> texts = typedLimits();
    if (const auto problem = session_.applyCheckProfile(profiles_->itemText(index).toStdString(), texts)) {
        QMessageBox::warning(this, "Board Check", toQt(*problem));
        return;
    }
    for (size_t i = 0; i < limits_.size() && i < texts.size(); ++i)
        limits_[i]->setText(toQt(texts[i].text));
}

// The limits as the fields hold them now.
std::vector<model::LimitText> BoardPictureWindow::typedLimits() const {
    std::vector<model::LimitText> texts = session_.checkLimits();
    for (size_t i = 0; i < limits_.size() && i < texts.size(); ++i)
        texts[i].text = limits_[i]->text().toStdString();
    return texts;
}

// A kind chosen above the list: only its findings listed and marked; none of them chosen yet.
void BoardPictureWindow::chooseKind(int index) {
    const auto choices = model::kindChoices(picture_);
    if (index < 0 || index >= static_cast<int>(choices.size()))
        return;
    picture_.only = choices[static_cast<size_t>(index)].kind;
    fillFindings();
    canvas_->selected = -1;
    canvas_->update();
}

void BoardPictureWindow::load(const app::Fields& fields) {
    fields_ = fields;
    const auto texts = session_.checkLimits();
    for (size_t i = 0; i < limits_.size() && i < texts.size(); ++i) {
        limits_[i]->setText(toQt(texts[i].text));
        limits_[i]->setPlaceholderText(toQt(texts[i].byDefault)); // the default in force, greyed
    }
    profiles_->clear();
    for (const auto& name : session_.checkProfiles())
        profiles_->addItem(toQt(name));
    profiles_->setCurrentIndex(-1);
    profiles_->setPlaceholderText("choose one");
    display(session_.boardPicture());
}

void BoardPictureWindow::checkAgain() {
    if (const auto problem = session_.setCheckLimits(typedLimits())) {
        QMessageBox::warning(this, "Board Check", toQt(*problem));
        return;
    }
    session_.checkAgain(fields_);
    if (afterCheck)
        afterCheck();
    model::BoardPicture again = session_.boardPicture();
    model::keepChoices(picture_, again);
    display(std::move(again));
}

// The list's rows under the filter; the items take the picture's state, so no finding is chosen by filling.
void BoardPictureWindow::fillFindings() {
    const QSignalBlocker filling(findings_);
    findings_->clear();
    for (const auto& row : model::findingRows(picture_))
        findings_->addItem(toQt(row));
    rows_ = picture_.problem.empty() ? model::shownFindings(picture_) : std::vector<size_t>{};
    findings_->setCurrentRow(-1);
}

void BoardPictureWindow::display(model::BoardPicture picture) {
    picture_ = std::move(picture);
    const QSignalBlocker fillingLayers(layers_), fillingKinds(kinds_);
    layers_->clear();
    pointer_->setText(" ");
    for (const auto& layer : picture_.layers) {
        auto* item = new QListWidgetItem(toQt(model::layerLabel(layer)), layers_);
        item->setToolTip(item->text()); // whole where the side is narrower than the name
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(layer.visible ? Qt::Checked : Qt::Unchecked);
    }
    kinds_->clear();
    for (const auto& choice : model::kindChoices(picture_))
        kinds_->addItem(toQt(choice.text));
    kinds_->setCurrentIndex(model::kindChoiceOf(picture_));
    fillFindings();
    findingsLabel_->setText(toQt(model::verdictOf(picture_)));
    std::string checked;
    for (const auto& line : picture_.checked)
        checked += (checked.empty() ? "" : "\n") + line;
    checkedLabel_->setText(toQt(checked));
    checkedLabel_->setVisible(!checked.empty());
    fitLayerNames();
    canvas_->selected = -1;
    view_.resize(canvas_->width(), canvas_->height());
    view_.fit(picture_.extent);
    canvas_->update();
}

// The list of layers as wide as its longest line, so that each name shows whole with its role (KiCad's names
// run long), as long as the picture keeps most of the width.
void BoardPictureWindow::fitLayerNames() {
    int widest = 0;
    for (int row = 0; row < layers_->count(); ++row)
        widest = std::max(widest, layers_->fontMetrics().horizontalAdvance(layers_->item(row)->text()));
    const int check = layers_->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 12;
    const int frame = 2 * layers_->frameWidth() + layers_->verticalScrollBar()->sizeHint().width() + 8;
    const QList<int> sizes = board_->sizes();
    const int total = std::max(sizes.value(0) + sizes.value(1), 400);
    const int side = std::clamp(widest + check + frame, std::min(180, total / 2), total / 2);
    board_->setSizes({side, total - side});
}

void BoardPictureWindow::showFinding(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return;
    const size_t index = rows_[static_cast<size_t>(row)];
    canvas_->selected = static_cast<int>(index);
    view_.showFinding(picture_.findings[index]);
    canvas_->update();
}

} // namespace fk::gui
