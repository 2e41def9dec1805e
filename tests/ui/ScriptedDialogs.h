// A stand-in for the window's dialogs: records every text it is shown and
// answers from queues filled by the test. A question without a scripted
// answer fails the test and is answered No (or Cancel).
#pragma once

#include <gtest/gtest.h>

#include <QDialog>
#include <QString>

#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <vector>

#include "ui/Dialogs.h"

// QString in test failures.
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

namespace qvl {

struct dialog_event_t {
  QString kind;  // confirm, confirm3, error, warning, information, retry, input,
                 // open, save, clipboard, url, modal
  QString text;
};

class TScriptedDialogs final : public TDialogs {
 public:
  std::vector<dialog_event_t> events;
  std::deque<bool> confirms;
  std::deque<TAnswer> three_way;
  std::deque<bool> retries;
  std::deque<std::optional<QString>> inputs;
  std::deque<std::optional<QString>> open_names;
  std::deque<std::optional<QString>> save_names;
  std::vector<TFileDialogSpec> file_specs;
  QString input_caption;
  QString clipboard;
  QStringList urls;

  [[nodiscard]] QStringList Texts(const QString& kind) const {
    QStringList out;
    for (const auto& e : events) {
      if (e.kind == kind) out << e.text;
    }
    return out;
  }
  [[nodiscard]] QStringList Kinds() const {
    QStringList out;
    for (const auto& e : events) out << e.kind;
    return out;
  }
  void Clear() { events.clear(); }
  // Every scripted answer was used.
  [[nodiscard]] bool AllUsed() const {
    return confirms.empty() && three_way.empty() && retries.empty() && inputs.empty() &&
           open_names.empty() && save_names.empty();
  }

  bool Confirm(QWidget*, const QString& text) override {
    events.push_back({QStringLiteral("confirm"), text});
    return Take(confirms, false, text);
  }
  TAnswer ConfirmWithCancel(QWidget*, const QString& text) override {
    events.push_back({QStringLiteral("confirm3"), text});
    return Take(three_way, TAnswer::Cancel, text);
  }
  void Error(QWidget*, const QString& text) override {
    events.push_back({QStringLiteral("error"), text});
  }
  void Warning(QWidget*, const QString& text) override {
    events.push_back({QStringLiteral("warning"), text});
  }
  void Information(QWidget*, const QString& text) override {
    events.push_back({QStringLiteral("information"), text});
  }
  bool AskRetry(QWidget*, const QString& text) override {
    events.push_back({QStringLiteral("retry"), text});
    return Take(retries, false, text);
  }
  std::optional<QString> InputText(QWidget*, const QString& caption,
                                   const QString& prompt) override {
    events.push_back({QStringLiteral("input"), prompt});
    input_caption = caption;
    return TakeText(inputs, prompt);
  }
  std::optional<QString> OpenFileName(QWidget*, const TFileDialogSpec& spec) override {
    events.push_back({QStringLiteral("open"), spec.directory});
    file_specs.push_back(spec);
    return TakeText(open_names, QStringLiteral("open dialog"));
  }
  std::optional<QString> SaveFileName(QWidget*, const TFileDialogSpec& spec) override {
    events.push_back({QStringLiteral("save"), spec.directory});
    file_specs.push_back(spec);
    return TakeText(save_names, QStringLiteral("save dialog"));
  }
  void SetClipboardText(const QString& text) override {
    events.push_back({QStringLiteral("clipboard"), text});
    clipboard = text;
  }
  void OpenUrl(const QString& url) override {
    events.push_back({QStringLiteral("url"), url});
    urls << url;
  }
  void ShowModal(QDialog& dialog) override {
    events.push_back({QStringLiteral("modal"), dialog.windowTitle()});
    if (on_modal) on_modal(dialog);
  }
  std::function<void(QDialog&)> on_modal;

 private:
  std::optional<QString> TakeText(std::deque<std::optional<QString>>& queue, const QString& what) {
    if (queue.empty()) {
      ADD_FAILURE() << "no scripted answer for: " << what.toStdString();
      return std::nullopt;
    }
    const bool given = queue.front().has_value();
    const QString text = given ? *queue.front() : QString();
    queue.pop_front();
    if (!given) return std::nullopt;
    return text;
  }

  template <typename T>
  T Take(std::deque<T>& queue, T fallback, const QString& what) {
    if (queue.empty()) {
      ADD_FAILURE() << "no scripted answer for: " << what.toStdString();
      return fallback;
    }
    T answer = queue.front();
    queue.pop_front();
    return answer;
  }
};

}  // namespace qvl
