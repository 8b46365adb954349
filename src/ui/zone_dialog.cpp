#include "ui/zone_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vornix::ui {

ZoneDialog::ZoneDialog(panel::ZoneList& zones, QWidget* parent) : QDialog(parent), zones_(zones) {
  setObjectName(QStringLiteral("ZoneDialog"));
  setWindowTitle(QStringLiteral("多区域互动"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("在模式5下于当前画面上拖出矩形即可添加区域。动作：key:F5、click:100,200、send:文本"), this));
  table_ = new QTableWidget(0, 2, this);
  table_->setHorizontalHeaderLabels({QStringLiteral("区域 x,y,w,h"), QStringLiteral("动作")});
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  layout->addWidget(table_);
  auto* buttons = new QHBoxLayout;
  auto* remove = new QPushButton(QStringLiteral("删除"), this);
  auto* close = new QPushButton(QStringLiteral("关闭"), this);
  buttons->addWidget(remove);
  buttons->addStretch();
  buttons->addWidget(close);
  layout->addLayout(buttons);
  resize(460, 300);

  connect(remove, &QPushButton::clicked, this, [this] {
    if (table_->currentRow() >= 0) zones_.remove(table_->currentRow());
  });
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  connect(table_, &QTableWidget::cellChanged, this, &ZoneDialog::actionEdited);
  QPointer<ZoneDialog> self(this);
  zones_.subscribe([self] {
    if (self) self->refill();
  });
  refill();
}

void ZoneDialog::refill() {
  filling_ = true;
  const std::vector<panel::Zone>& all = zones_.all();
  table_->setRowCount(int(all.size()));
  for (int row = 0; row < int(all.size()); ++row) {
    const panel::Zone& zone = all[std::size_t(row)];
    const QRect& r = zone.rect;
    auto* area = new QTableWidgetItem(QStringLiteral("%1: %2,%3,%4,%5").arg(row + 1).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()));
    area->setFlags(area->flags() & ~Qt::ItemIsEditable);
    table_->setItem(row, 0, area);
    table_->setItem(row, 1, new QTableWidgetItem(zone.action));
  }
  filling_ = false;
}

void ZoneDialog::actionEdited(int row, int column) {
  if (filling_ || column != 1 || row < 0 || row >= zones_.size()) return;
  const QString action = table_->item(row, column)->text().trimmed();
  QString reason;
  if (!panel::parseZoneAction(action, &reason)) {
    QMessageBox::warning(this, windowTitle(), reason);
    refill();
    return;
  }
  zones_.setAction(row, action);
}

}  // namespace vornix::ui
