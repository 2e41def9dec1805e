// The window's left pane: the scene tree of the document with the memo of the
// selected scene below it. It shows the session's document, selection and
// memos and turns the tree's selection and the memo's update button into the
// session's operations; the questions a selection change asks belong to the
// window (OnChanging of Tree()).
#pragma once

#include <QWidget>

#include "model/qvl_session.h"

class QGroupBox;
class QPlainTextEdit;
class QPushButton;

namespace qvl {

class TDialogs;
class TSceneTreeView;

class TScenePanel : public QWidget {
  Q_OBJECT
 public:
  // Listens to session until it goes; made before the other panels and the
  // window listen, so that the tree follows a change before the editor shows
  // it.
  TScenePanel(TDocumentSession& session, TDialogs& dialogs, QWidget* parent = nullptr);
  ~TScenePanel() override;

  [[nodiscard]] TSceneTreeView& Tree() const { return *m_sceneView; }
  [[nodiscard]] QPlainTextEdit& Memo() const { return *m_sceneMemo; }

  // The document's root selected, through the tree's usual checks, and the
  // tree focused.
  void SelectRoot();
  // node's item selected through the tree's usual checks and scrolled to.
  void SelectNode(const scene_base_t* node);
  // The memo's update button: the typed memo stored after the question.
  void MemoApplyButtonClick();
  // After the tree's selection changed: hands it to the session.
  void SceneViewOnChange();

 protected:
  void changeEvent(QEvent* e) override;

 private:
  void SessionChanged(const session_change_t& change);
  void Retranslate();
  void RebuildSceneView();
  // The tree's selection made the session's, without a change event: after
  // undo and redo, which select the step's nodes.
  void ShowSelectionInTree();
  // The memo of the selected node, the box enabled for a single node.
  void ShowSelectedMemo();
  // The memo of the shown scene, or none; a text given here is no typing.
  void ShowMemo(const QString& text);
  void ClearMemo();
  void MemoChange();

  TDocumentSession& m_session;
  TDialogs& m_dialogs;
  int m_listener = 0;
  // Raised while the panel fills the memo: no typing of the player's.
  bool m_showing = false;
  TSceneTreeView* m_sceneView = nullptr;
  QGroupBox* m_sceneMemoBox = nullptr;
  QPlainTextEdit* m_sceneMemo = nullptr;
  QPushButton* m_sceneMemoApplyButton = nullptr;
};

}  // namespace qvl
