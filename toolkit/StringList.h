// String lists: the lines of list and memo properties, the text tables of language data and
// name=value lists. TStrings is the interface a list property exposes; TStringList keeps its
// lines in memory and reports changes through OnChange. Portable code (no windows.h).
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/Component.h"

namespace qv {

// An index outside the list.
class EStringListError : public std::out_of_range {
 public:
  using std::out_of_range::out_of_range;
};

class TStrings : public TPersistent {
  QV_CLASS(TStrings, TPersistent)

 public:
  int Count() const { return GetCount(); }
  std::string Strings(int index) const { return Get(index); }
  void SetStrings(int index, const std::string& line) { Put(index, line); }

  virtual void Insert(int index, const std::string& line) = 0;  // 0 <= index <= Count
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;

  int Add(const std::string& line);  // returns the new line's index
  void AddStrings(const TStrings& lines);

  // Every line followed by CR LF ("a\r\nb\r\n"); "" for an empty list.
  std::string Text() const;
  // Replaces the lines, splitting at CR LF, a lone CR or a lone LF; a final line break adds
  // no empty line, "" gives an empty list, and a NUL character ends the text.
  void SetText(std::string_view text);

  // The first line equal to text without regard to ASCII letter case, or -1.
  int IndexOf(std::string_view text) const;

  // Name=value access. A line's name is the text before its first "="; a line without "="
  // has neither name nor value (Names and ValueFromIndex give ""). Names match without
  // regard to ASCII letter case and the first matching line wins.
  std::string Names(int index) const;
  std::string ValueFromIndex(int index) const;
  int IndexOfName(std::string_view name) const;
  std::string Values(std::string_view name) const;  // "" when no line has that name
  // Replaces the first line of that name, or adds one; an empty value deletes that line.
  void SetValues(std::string_view name, const std::string& value);

  // Copies the lines of another TStrings.
  void Assign(const TPersistent* source) override;

  // Nested updates: change notifications wait until the outermost EndUpdate. An EndUpdate
  // without a BeginUpdate does nothing.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

 protected:
  virtual int GetCount() const = 0;
  virtual std::string Get(int index) const = 0;
  virtual void Put(int index, const std::string& line) = 0;
  // Called when the outermost update begins (true) and ends (false).
  virtual void SetUpdateState(bool updating);

 private:
  int updateCount_ = 0;
};

class TStringList : public TStrings {
  QV_CLASS(TStringList, TStrings)

 public:
  TStringList() = default;

  void Insert(int index, const std::string& line) override;
  void Delete(int index) override;
  void Clear() override;  // an empty list stays unchanged and reports no change

  // Fires after every change, or once at the end of an update in which something changed.
  TNotifyEvent OnChange;

 protected:
  int GetCount() const override { return static_cast<int>(lines_.size()); }
  std::string Get(int index) const override;
  void Put(int index, const std::string& line) override;
  void SetUpdateState(bool updating) override;
  virtual void Changed();

 private:
  void CheckIndex(int index, int limit) const;

  std::vector<std::string> lines_;
  bool changedDuringUpdate_ = false;
};

}  // namespace qv
