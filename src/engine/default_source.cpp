// The product's simulator data source.
#include "engine/default_source.h"

namespace orvane {

namespace {

// Stands in for the simulator link until it is built: no simulator, neutral values.
class NoSimulator final : public FlightData {
 public:
  std::string getAircraftRegistration() override { return {}; }
  bool isSimConnected() override { return false; }
  bool isOnGround() override { return false; }
  bool isPaused() override { return false; }
  bool isSlewing() override { return false; }
  bool isFlightCrashed() override { return false; }
  Position getPosition() override { return {}; }
  double getGroundSpeed() override { return 0.0; }
  double getVerticalSpeed() override { return 0.0; }
  double getHeight() override { return 0.0; }
  std::int32_t getAltitude() override { return 0; }
  std::int32_t getHeading() override { return 0; }
  std::int32_t getTrueHeading() override { return 0; }
  std::int32_t getIAS() override { return 0; }
  std::int32_t getTAS() override { return 0; }
  std::int32_t getOAT() override { return 0; }
  std::int32_t getTAT() override { return 0; }
  std::int32_t getWindDirection() override { return 0; }
  std::int32_t getWindSpeed() override { return 0; }
  std::int32_t getNumberEngines() override { return 0; }
  bool EngineRunning() override { return false; }
  bool EngineStopped() override { return true; }
  std::vector<std::int32_t> getEngine_N1() override { return {}; }
  std::vector<std::int32_t> getEngine_N2() override { return {}; }
  std::int32_t getZFW() override { return 0; }
  std::int32_t getTotalWeight() override { return 0; }
  double getCurrentFuel() override { return 0.0; }
  OnlineStatus getOnlineStatus() override { return UNKNOWN; }
  std::string getClientName() override { return "ORVANE_MSFS"; }
};

}  // namespace

FlightData* makeProductFlightData(void (*)(const std::string&)) { return new NoSimulator(); }

}  // namespace orvane
