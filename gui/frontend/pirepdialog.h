// CPIREPDialog: the pilot reviews the finished report, sends it to the airline and saves it.
// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "framework/dialog.h"
#include "frontend/windowprefs.h"
#include "pirep/PIREPData.h"
#include "records/flighttrack.h"
#include "records/touchdown.h"

namespace orvane {

class HandOffPoll;

class CPIREPDialog : public CDialog {
  Q_OBJECT

 public:
  static constexpr UINT IDD = 502;

  // Works on copies of the report, its saved flag, its track and its touchdown. An empty
  // track (a report loaded from a file) shows no chart; a touchdown not recorded (the same)
  // shows no landing line.
  CPIREPDialog(const PIREPData& report, bool saved, const FlightTrack& track,
               const Touchdown& touchdown, QWidget* owner = nullptr);
  // The same without a touchdown (no landing line): the signature earlier callers use.
  CPIREPDialog(const PIREPData& report, bool saved, const FlightTrack& track = {},
               QWidget* owner = nullptr)
      : CPIREPDialog(report, saved, track, Touchdown{}, owner) {}

  // The landing line of a recorded touchdown: "Landing: -229 fpm, 1.28 G, no bounce"; the G
  // only where the source gave one.
  static std::string landingText(const Touchdown& touchdown);
  // The report's text as the review shows it: in kilograms the weights and fuel converted
  // and a line saying so; the report sent and saved keeps its pounds.
  static std::vector<std::string> reportLines(const PIREPData& report, WeightUnit unit);

  const PIREPData& report() const { return PIREP; }
  // The folder Save starts in: empty (the default) means the data folder, where
  // lastpirep.ovp is kept; after a save, the folder the pilot chose.
  void setFileFolder(const std::string& folder) { fileFolder_ = folder; }
  const std::string& fileFolder() const { return fileFolder_; }
  bool isSaved() const { return PIREPSaved; }
  // A PIREP is on its way: Send and Save are disabled until its answer or the limit.
  bool isSending() const { return sending_; }

  // The longest wait for the PIREP server's answer, in milliseconds; 0 (the product's)
  // means the transfer time-out plus kSendWaitMarginMs.
  static void SetSendWaitLimit(int ms);
  static int SendWaitLimitMs();
  static constexpr int kSendWaitMarginMs = 15000;

  void EndDialog(INT_PTR result) override;

 signals:
  // The report has been saved to a file (the owner's WM_USER+5).
  void pirepSaved();

 protected:
  bool OnCommand(UINT id) override;
  void OnCancel() override;
  bool OnInitDialog() override;
  void OnOK() override;

  void OnSendPIREP();
  // True when the report was written.
  bool OnSavePIREP();

 private:
  // The PIREP state has its outcome (arrived), or the wait limit has passed.
  void sendEnded(bool arrived);
  void endSend();
  void showReport();
  void showLanding();
  void showProfile();

  PIREPData PIREP;
  bool PIREPSaved;
  FlightTrack track_;
  Touchdown touchdown_;
  std::string fileFolder_;

  bool sending_ = false;
  HandOffPoll* poll_;  // child of this object: looks at the PIREP state while sending
};

}  // namespace orvane
