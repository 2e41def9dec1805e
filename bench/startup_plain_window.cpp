// The yardstick of bench_startup: the program's window built from plain Qt
// widgets, with the same layout and texts as quovel-pm shows with the Hard
// template open (menus and their items, the scene tree, the output and input
// tables, memos, title box, buttons, status panels), reporting its first
// painted frame. What quovel-pm takes beyond it is the price of its own code:
// reading the template, the model, the grid and the translations.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/AppInfo.h"
#include "ui/StartupProbe.h"

namespace {

QTableWidget* Table(const QStringList& columns, const QStringList& rows) {
  auto* table = new QTableWidget(static_cast<int>(rows.size()), static_cast<int>(columns.size()));
  table->setHorizontalHeaderLabels(columns);
  table->verticalHeader()->hide();
  for (int r = 0; r < rows.size(); ++r) {
    table->setItem(r, 0, new QTableWidgetItem(rows[r]));
    for (int c = 1; c < columns.size(); ++c) {
      table->setItem(r, c, new QTableWidgetItem(c == 1 ? QStringLiteral("0") : QString()));
    }
  }
  return table;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  qvl::SetUpApplication(app);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("qvl_hard.pat - Quovel Pattern Manager"));

  const char* menus[][8] = {
      {"ファイル(&F)", "新規作成(&N)", "開く(&O)...", "上書き保存(&S)", "名前を付けて保存(&A)...",
       "最近使ったファイル(&R)", "終了(&X)", nullptr},
      {"編集(&E)", "元に戻す(&U)", "やり直し(&R)", "旧パターンをコピー(&C)", nullptr},
      {"表示(&V)", "スコア推移(&G)", "日本語(&J)", "English(&E)", nullptr},
      {"ヘルプ(&H)", "ヘルプ(&H)", "バージョン情報(&A)...", nullptr}};
  for (const auto& items : menus) {
    QMenu* menu = window.menuBar()->addMenu(QString::fromUtf8(items[0]));
    for (int i = 1; i < 8 && items[i] != nullptr; ++i) menu->addAction(QString::fromUtf8(items[i]));
  }

  auto* tree = new QTreeWidget;
  tree->setHeaderHidden(true);
  auto* root = new QTreeWidgetItem(tree, {QStringLiteral("Quovel Hard")});
  for (const char* stage : {"1面　朝霧の畦道", "2面　風鈴の峠", "3面　月影の湖畔",
                            "4面　朽ちた書庫", "5面　星降る天文台", "6面　逆さ城の天守"}) {
    auto* item = new QTreeWidgetItem(root, {QString::fromUtf8(stage)});
    item->setIcon(0, window.style()->standardIcon(QStyle::SP_DirIcon));
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  }
  root->setIcon(0, window.style()->standardIcon(QStyle::SP_DirIcon));
  root->setExpanded(true);
  auto* scene_memo = new QGroupBox(QString::fromUtf8("場面別メモ"));
  auto* scene_memo_layout = new QVBoxLayout(scene_memo);
  scene_memo_layout->addWidget(new QPlainTextEdit);
  scene_memo_layout->addWidget(new QPushButton(QString::fromUtf8("更新(&M)")), 0, Qt::AlignHCenter);
  auto* left = new QSplitter(Qt::Vertical);
  left->addWidget(tree);
  left->addWidget(scene_memo);

  auto* output = new QGroupBox(QString::fromUtf8("出力"));
  (new QVBoxLayout(output))
      ->addWidget(
          Table({QString(), QString::fromUtf8("旧パターン"), QString::fromUtf8("新パターン"),
                 QString::fromUtf8("差")},
                QString::fromUtf8(
                    "ボーダーボーナス,桜点Max,後のボーダーボーナスへの影響,"
                    "後の得点アイテムへの影響,後のスペルカードボーナスへの影響,それ自体,"
                    "後のボーナスアイテムへの影響,スペルカードボーナスへの影響,得点アイテム,"
                    "ボーナスアイテム,スペルカードボーナス基礎,敵弾消しボーナス,合計")
                    .split(QLatin1Char(','))));
  auto* input = new QGroupBox(QString::fromUtf8("入力"));
  auto* input_layout = new QGridLayout(input);
  input_layout->addWidget(new QComboBox, 0, 1);
  input_layout->addWidget(new QComboBox, 0, 2);
  input_layout->addWidget(
      Table({QString(), QString(), QString(), QString::fromUtf8("差")},
            QString::fromUtf8(
                "ボーダーボーナスを得た回数,増加した桜点Max,増加した桜点,増加したかすり数,"
                "うち取得したスペルでの分,回収した得点アイテム数,"
                "回収したボーナスアイテム数,スペルカードボーナス基礎合計,"
                "敵弾消しボーナス合計,取得スペルカード枚数")
                .split(QLatin1Char(','))),
      1, 0, 1, 4);
  input_layout->addWidget(new QCheckBox(QString::fromUtf8("まとめて記述")), 2, 3);
  input_layout->addWidget(new QLabel(QString::fromUtf8("メモ")), 3, 0);
  input_layout->addWidget(new QPlainTextEdit, 3, 1);
  input_layout->addWidget(new QPlainTextEdit, 3, 2);
  input_layout->addWidget(new QPushButton(QString::fromUtf8("算出(&C)")), 3, 3);
  input_layout->addWidget(new QLabel(QString::fromUtf8("タイトル")), 4, 1, Qt::AlignRight);
  input_layout->addWidget(new QLineEdit, 4, 2);
  auto* buttons = new QHBoxLayout;
  for (const char* text : {"新規(&N)", "更新(&A)", "削除(&D)"}) {
    buttons->addWidget(new QPushButton(QString::fromUtf8(text)));
  }
  input_layout->addLayout(buttons, 5, 2, 1, 2);
  auto* right = new QSplitter(Qt::Vertical);
  right->addWidget(output);
  right->addWidget(input);

  auto* main = new QSplitter;
  main->addWidget(left);
  main->addWidget(right);
  window.setCentralWidget(main);
  for (const char* text : {"☆:   0", "G:   0", "P:   0", "C: 250000/ 250000", "Spell:  0"}) {
    window.statusBar()->addPermanentWidget(new QLabel(QString::fromUtf8(text)));
  }

  window.resize(846, 855);
  qvl::InstallStartupProbe(window);
  window.show();
  return QApplication::exec();
}
