// The board picture's drawing in Qt: the model's visible layers, the holes, the findings the filter shows
// (a ring round a hole, or the segment measured with its label), the scale bar and the verdict, where the
// model's view puts them; wheel, drag and arrow keys go to that view.
#pragma once

#include "model/boardpicture.hpp"

#include <QWidget>

class QLabel;
class QPainter;
class QPainterPath;

namespace fk::gui {

class PictureCanvas : public QWidget {
  public:
    PictureCanvas(model::BoardPicture& picture, model::PictureView& view, QLabel* pointer, QWidget* parent);
    int selected = -1; // the finding clicked in the list, by its index in the picture's findings

  protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void wheelEvent(QWheelEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent*) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    QPointF at(util::Length x, util::Length y) const;
    void disc(QPainter& painter, util::Length x, util::Length y, util::Length diameter) const;
    void paintLayer(QPainter& painter, const model::PictureLayer& layer) const;
    QPainterPath pathOf(const board::Polygons& polygons) const;
    void paintPrimitive(QPainter& painter, const model::Primitive& p, const QColor& ink) const;
    void paintHoles(QPainter& painter) const;
    void paintFindings(QPainter& painter) const;
    void paintSegment(QPainter& painter, const model::PictureFinding& f, bool chosen) const;
    void paintVerdict(QPainter& painter) const;
    void paintScaleBar(QPainter& painter) const;

    model::BoardPicture& picture_;
    model::PictureView& view_;
    QLabel* pointer_;
    QPointF last_;
};

} // namespace fk::gui
