// The system's common dialogs for choosing files and folders. A dialog is
// a small component a form holds: set it up, Execute() it (modal), read the
// choice. Headless runs answer them from the test's script and record
// every request (HeadlessBackend::FileDialogs).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/gui/Backend.h"

namespace gui {

class Form;

// Filters written as one text, "description|patterns|description|patterns|"
// ("MP3 Files (*.MP3)|*.MP3|All Files (*.*)|*.*|"); a trailing "|" is
// allowed, a description without patterns is dropped.
std::vector<FileFilter> ParseFilterText(std::string_view text);

class FileDialog {
 public:
  enum class Mode { kOpen, kSave };

  explicit FileDialog(Form* owner, Mode mode = Mode::kOpen) : owner_(owner) { request_.save = mode == Mode::kSave; }

  Mode mode() const { return request_.save ? Mode::kSave : Mode::kOpen; }
  const std::string& Title() const { return request_.title; }
  void SetTitle(std::string title) { request_.title = std::move(title); }
  const std::string& InitialFolder() const { return request_.initialFolder; }
  void SetInitialFolder(std::string folder) { request_.initialFolder = std::move(folder); }
  // The proposed name before Execute(), the chosen full path after it.
  const std::string& FileName() const { return request_.fileName; }
  void SetFileName(std::string name) { request_.fileName = std::move(name); }
  const std::vector<FileFilter>& Filters() const { return request_.filters; }
  void SetFilters(std::vector<FileFilter> filters) { request_.filters = std::move(filters); }
  void SetFilterText(std::string_view text) { request_.filters = ParseFilterText(text); }
  // 1-based; the chosen one after Execute().
  int FilterIndex() const { return request_.filterIndex; }
  void SetFilterIndex(int index) { request_.filterIndex = index; }
  bool MultiSelect() const { return request_.multiSelect; }
  void SetMultiSelect(bool on) { request_.multiSelect = on; }
  bool OverwritePrompt() const { return request_.overwritePrompt; }
  void SetOverwritePrompt(bool on) { request_.overwritePrompt = on; }
  bool FileMustExist() const { return request_.fileMustExist; }
  void SetFileMustExist(bool on) { request_.fileMustExist = on; }
  const std::string& DefaultExtension() const { return request_.defaultExtension; }
  void SetDefaultExtension(std::string extension) { request_.defaultExtension = std::move(extension); }

  // Shows the dialog; true when the user chose, false when cancelled.
  bool Execute();
  // Every chosen full path (one unless a multi-select open chose several).
  const std::vector<std::string>& Files() const { return files_; }

 private:
  Form* owner_;
  FileDialogRequest request_;
  std::vector<std::string> files_;
};

class FolderDialog {
 public:
  explicit FolderDialog(Form* owner) : owner_(owner) {}

  const std::string& Title() const { return request_.title; }
  void SetTitle(std::string title) { request_.title = std::move(title); }
  // The folder shown first before Execute(), the chosen one after it.
  const std::string& Folder() const { return request_.initialFolder; }
  void SetFolder(std::string folder) { request_.initialFolder = std::move(folder); }

  bool Execute();

 private:
  Form* owner_;
  FolderDialogRequest request_;
};

}  // namespace gui
