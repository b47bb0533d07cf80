#include "model/program_state.h"

namespace veyra::model {

void FillValueTables(ProgramState& state) {
  state.BloomScaleValues = {"", "3.59", "6.54", "8.55", "10.70", "16.80", "0.70", "1.20", "1.61"};
  state.BloomTintExponentDreamy = "2.25";
  state.BloomTintExponentDreamy3 = "2.25";
  state.TvGammaExponentDreamy = "1.6";
  state.TvGammaExponentDreamy3 = "1.6";
}

void SetStartDirectory(ProgramState& state, const std::string& directory) {
  state.StartDirectory = directory;
  state.BasePath = directory;
  state.EpisodicBasePath = directory;
  state.Ep2BasePath = directory;
}

bool IsGermanInterface(const std::string& language) {
  return language == "german" || language == "deutsch";
}

}  // namespace veyra::model
