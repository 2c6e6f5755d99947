#include "transfer-manager/modPreview.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

#include "platform/gui/Application.h"
#include "transfer-manager/modFunctions.h"

namespace halvern {

namespace {

std::unique_ptr<MediaControl>& MediaSlot() {
  static std::unique_ptr<MediaControl> media;
  return media;
}

// Set while a tick of Timer1 runs: a tick that comes meanwhile (the error
// box of the last one is still open) is dropped.
bool& InTick() {
  static bool inTick = false;
  return inTick;
}

std::uint32_t Send(const std::string& command, std::string* reply = nullptr) {
  if (!MediaSlot()) {
    if (reply) reply->clear();
    return 0;
  }
  return MediaSlot()->SendString(command, reply);
}

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

// The reply of a status query, or nothing after an error (shown).
std::optional<std::string> StatusQuery(int selector, const char* what) {
  const std::string alias = kMediaAlias;
  const char* format = selector == kTimeMs ? "ms" : selector == kTimeTmsf ? "tmsf" : nullptr;
  if (format) {
    if (const auto e = Send("set " + alias + " time format " + format)) {
      GetMciError(e);
      return std::nullopt;
    }
  }
  std::string reply;
  if (const auto e = Send("status " + alias + " " + what, &reply)) {
    GetMciError(e);
    return std::nullopt;
  }
  return Trim(reply);
}

// A decimal text as a number (0 when it is none).
double Number(std::string_view text) {
  const std::string t = Trim(text);
  double v = 0;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  return ec == std::errc() && end == t.data() + t.size() ? v : 0;
}

}  // namespace

void PlayFile(ShapeForm& form, const std::string& path) {
  // Whatever the device still holds goes first, so that the open never
  // meets an alias in use.
  CloseMedia();
  if (const auto e = Send("open \"" + path + "\" alias " + kMediaAlias)) {
    GetMciError(e);
    StopPlayList(form);
    return;
  }
  const auto length = StatusQuery(kTimeMs, "length");
  if (!length) {
    StopPlayList(form);
    return;
  }
  form.lblTrackTime.SetCaption("Track Time : " + std::to_string(MsToSeconds(*length)) + " Seconds");
  if (const auto e = Send(std::string("play ") + kMediaAlias)) {
    GetMciError(e);
    StopPlayList(form);
    return;
  }
  form.Timer1.SetEnabled(true);
}

void StopPlayList(ShapeForm& form) {
  CloseMedia();
  form.Timer1.SetEnabled(false);
  form.imgPlay.SetEnabled(true);
  form.lvwPlayList.Clear();
}

void CloseMedia() { Send(std::string("close ") + kMediaAlias); }

std::string GetMediaLength(int selector) { return StatusQuery(selector, "length").value_or(std::string()); }

std::string GetMediaPosition(int selector) { return StatusQuery(selector, "position").value_or(std::string()); }

int MsToSeconds(std::string_view ms) {
  const double seconds = std::nearbyint(Number(ms) / 1000.0);  // the default rounding: halves to even
  if (!(seconds > 0)) return 0;
  return seconds >= 32767 ? 32767 : static_cast<int>(seconds);
}

std::string GetMediaMode() {
  std::string reply;
  Send(std::string("status ") + kMediaAlias + " mode", &reply);
  return reply.substr(0, 7);
}

void GetMciError(std::uint32_t code) {
  auto& app = gui::App();
  const std::string text = MediaSlot() ? MediaSlot()->ErrorText(code) : std::string();
  app.MessageBox(text, app.Title(), gui::Buttons::kOk, gui::MsgIcon::kError);
}

void imgPlay_Click(ShapeForm& form) {
  form.lvwPlayList.Clear();
  if (form.lvwPcFileList.Count() == 0) return;
  form.imgPlay.SetEnabled(false);
  std::vector<gui::ListItem> queue;
  for (const auto& row : form.lvwPcFileList.Items()) {
    if (row.selected) queue.push_back(gui::ListItem{gui::ListView::ColumnText(row, 2), {}});
  }
  form.lvwPlayList.SetItems(std::move(queue));
  const std::string first = form.lvwPlayList.Count() > 0 ? form.lvwPlayList.Item(0).caption : std::string();
  if (first.empty()) {
    StopPlayList(form);
  } else {
    PlayFile(form, first);
  }
}

void imgStop_Click(ShapeForm& form) { StopPlayList(form); }

void Timer1_Timer(ShapeForm& form) {
  if (InTick()) return;
  InTick() = true;
  struct Leave {
    ~Leave() { InTick() = false; }
  } leave;
  gui::App().ProcessMessages();
  if (!form.Timer1.Enabled()) return;  // stopped meanwhile

  // A failed query has shown its one error box; the preview stops, so the
  // next tick does not show it again.
  const auto length = StatusQuery(kTimeMs, "length");
  if (!length) {
    StopPlayList(form);
    return;
  }
  const auto position = StatusQuery(kTimeMs, "position");
  if (!position) {
    StopPlayList(form);
    return;
  }
  form.lblPlayingTime.SetCaption("Playing Time : " + std::to_string(MsToSeconds(*length)) + " Seconds");
  form.lblPos.SetCaption("Pos Time : " + std::to_string(MsToSeconds(*position)) + " Seconds");
  // Hidden until the first position of a preview is known.
  form.lblPlayingTime.SetVisible(true);
  form.lblPos.SetVisible(true);
  // Some media devices rewind to 0 when a file ends: a stopped device has
  // ended too (nothing here pauses it).
  if (Number(*position) < Number(*length) && GetMediaMode() != "stopped") return;

  // The track has ended: the next one, or the end of the list.
  CloseMedia();
  form.Timer1.SetEnabled(false);
  auto items = form.lvwPlayList.Items();
  if (!items.empty()) {
    items.erase(items.begin());
    form.lvwPlayList.SetItems(items);
  }
  if (form.lvwPlayList.Count() > 0) {
    const std::string next = form.lvwPlayList.Item(0).caption;
    if (!next.empty()) PlayFile(form, next);
  } else {
    StopPlayList(form);
  }
}

void InstallPreview(ShapeForm& form, std::unique_ptr<MediaControl> media) {
  MediaSlot() = std::move(media);
  InTick() = false;
  form.imgPlay.OnClick = [&form] { imgPlay_Click(form); };
  form.imgStop.OnClick = [&form] { imgStop_Click(form); };
  form.Timer1.OnTimer = [&form] { Timer1_Timer(form); };
  form.previewPlaying = [] { return GetMediaMode() == "playing"; };
  form.closePreview = [] { CloseMedia(); };
}

void ResetPreview() {
  CloseMedia();
  MediaSlot().reset();
  InTick() = false;
}

}  // namespace halvern
