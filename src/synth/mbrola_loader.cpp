// Choosing between the `mbrola` program and the built-in synthesizer.
#include "synth/mbrola_loader.hpp"

#include <filesystem>

#include "files/paths.hpp"
#include "synth/builtin_mbrola.hpp"
#include "synth/mbrola_program.hpp"

namespace cadencio::synth {
namespace {

class ChosenMbrola final : public synth::Mbrola {
 public:
  ChosenMbrola(bool program_installed, std::unique_ptr<synth::Mbrola> builtin)
      : program_installed_(program_installed), builtin_(std::move(builtin)) {}

  int Init(const std::string& database) override {
    if (program_installed_ && IsMbrolaVoiceFile(database)) {
      chosen_ = std::make_unique<synth::MbrolaProgram>();
    } else if (builtin_) {
      chosen_ = std::move(builtin_);
    }
    return chosen_ ? chosen_->Init(database) : -1;
  }
  void SetNoError(int no_error) override {
    if (chosen_) chosen_->SetNoError(no_error);
  }
  void Reset() override {
    if (chosen_) chosen_->Reset();
  }
  int Write(const std::string& line) override { return chosen_ ? chosen_->Write(line) : -1; }
  void Flush() override {
    if (chosen_) chosen_->Flush();
  }
  int Read(int16_t* samples, int capacity) override {
    return chosen_ ? chosen_->Read(samples, capacity) : -1;
  }
  int LastError() override { return chosen_ ? chosen_->LastError() : 1; }
  std::string LastErrorText() override {
    return chosen_ ? chosen_->LastErrorText() : "no synthesizer for this voice";
  }
  void Close() override {
    if (chosen_) chosen_->Close();
  }

 private:
  bool program_installed_;
  std::unique_ptr<synth::Mbrola> builtin_;
  std::unique_ptr<synth::Mbrola> chosen_;
};

}  // namespace

bool IsMbrolaVoiceFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  const auto voice = std::filesystem::weakly_canonical(path, error);
  const auto data = std::filesystem::weakly_canonical(files::DataRoot(), error);
  if (error) return true;
  auto voice_part = voice.begin();
  for (const auto& data_part : data) {
    if (voice_part == voice.end() || *voice_part != data_part) return true;  // not inside
    ++voice_part;
  }
  return false;
}

std::unique_ptr<synth::Mbrola> LoadMbrola() {
  const bool program_installed = synth::FindProgram("mbrola").has_value();
  std::unique_ptr<synth::Mbrola> builtin = synth::OpenBuiltinMbrola();
  if (!program_installed && !builtin) return nullptr;
  return std::make_unique<ChosenMbrola>(program_installed, std::move(builtin));
}

}  // namespace cadencio::synth
