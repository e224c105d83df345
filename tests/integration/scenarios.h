// Scenario texts for the end-to-end flights, built on the stand-in's scenario format.
// SPDX-License-Identifier: MIT
#pragma once

#include <sstream>
#include <string>

namespace orvane::test {

// The scenario with every keyframe after `from` seconds moved `by` seconds later: the
// aircraft holds still in between.
inline std::string held(const std::string& scenario, double from, double by) {
  std::istringstream in(scenario);
  std::string line, out;
  while (std::getline(in, line)) {
    if (line.rfind("key ", 0) == 0) {
      const std::size_t end = line.find(' ', 4);
      const double t = std::stod(line.substr(4, end - 4));
      if (t > from) line = "key " + std::to_string(t + by) + line.substr(end);
    }
    out += line + "\n";
  }
  return out;
}

// A short flight of about eleven minutes that stays still while it is paused: engines start
// at 20 s, taxi from 30 s, lift-off at 111 s, level at 2800 ft from 210 s to 420 s, touchdown
// at 576 s, below 80 knots at 590 s, stopped at 630 s, engines off at 640 s. The pauses of
// the tests sit at 40..100 s (taxi) and 250..310 s (level).
inline std::string pausingFlight() {
  return "set registration D-ABCD\n"
         "key 0 engines=2 zfw=120000 fuel=9000 lat=50.0333 lon=8.5706 alt=364 hdg=250 var=2 "
         "oat=15 tat=15 wind_dir=270 wind_speed=8 on_ground=1 mode=1\n"
         "key 20 n1=25 n2=60\n"
         "key 30 gs=15 ias=15 tas=15 fuel=8990\n"
         "key 105 gs=15 fuel=8980\n"
         "key 110 gs=150 ias=150 tas=150 n1=90 n2=96 fuel=8950\n"
         "key 111 on_ground=0 vs=1500 height=30 alt=394\n"
         "key 200 vs=1500 height=2600 alt=2600 ias=250 tas=260 gs=260 lat=49.90 lon=8.40 "
         "fuel=8800\n"
         "key 210 vs=0 height=2800 alt=2800\n"
         "key 420 lat=49.60 lon=8.00 fuel=8500\n"
         "key 430 vs=-1000 n1=40 n2=70\n"
         "key 560 vs=-700 height=80 alt=444 lat=49.50 lon=7.90 ias=140 tas=140 gs=140 "
         "fuel=8400\n"
         "key 575 vs=-200 height=5 alt=369\n"
         "key 576 on_ground=1 vs=0 height=0 alt=364 gs=120\n"
         "key 590 gs=60 ias=60 tas=60\n"
         "key 610 gs=10 ias=10 tas=10 fuel=8390\n"
         "key 630 gs=0 ias=0 tas=0\n"
         "key 640 n1=0 n2=0\n";
}

// Touchdown at 800 s, roll-out, taxi in, stop at 850 s and engines off at 860 s.
inline std::string landingAt800() {
  return "key 800 on_ground=1 vs=0 height=0 alt=364 gs=120\n"
         "key 815 gs=60 ias=60 tas=60\n"
         "key 830 gs=10 ias=10 tas=10 fuel=8300\n"
         "key 850 gs=0 ias=0 tas=0\n"
         "key 860 n1=0 n2=0\n";
}

// The same flight with a touch-and-go: after the first touchdown the aircraft takes off
// again at 605 s, flies a circuit and lands for good at 800 s.
inline std::string touchAndGoFlight() {
  std::string s = pausingFlight();
  s = s.substr(0, s.find("key 610"));
  return s +
         "key 600 gs=140 ias=140 tas=140 n1=90 n2=96 fuel=8380\n"
         "key 605 on_ground=0 vs=1200 height=40 alt=404\n"
         "key 660 vs=1200 height=1000 alt=1364\n"
         "key 670 vs=0\n"
         "key 700 vs=-700\n"
         "key 780 vs=-600 height=80 alt=444 n1=40 n2=70\n"
         "key 799 vs=-150 height=5 alt=369\n" +
         landingAt800();
}

// The same flight with a go-around: at 570 s, 20 ft above the runway, it climbs away,
// flies a circuit and lands at 800 s.
inline std::string goAroundFlight() {
  std::string s = pausingFlight();
  s = s.substr(0, s.find("key 575"));
  return s +
         "key 568 vs=-500 height=20 alt=384\n"
         "key 572 vs=1500 height=60 alt=424 n1=90 n2=96\n"
         "key 640 vs=1500 height=1500 alt=1864\n"
         "key 650 vs=0\n"
         "key 700 vs=-700 n1=40 n2=70\n"
         "key 780 vs=-500 height=80 alt=444\n"
         "key 799 vs=-250 height=5 alt=369\n" +
         landingAt800();
}

// A twin-engine propeller flight with its engines lit at 20 s and cut at 690 s, and a
// stop with the engines running on the way in: lift-off at 111 s, level at 2800 ft from
// 210 s to 420 s, touchdown at 576 s (-230 fpm, 4.5 degrees nose up, 0.5 degrees left wing
// down), below 80 knots at about 584 s, holding short from 610 s to 640 s, at the gate at
// 685 s, propellers still by 700 s.
inline std::string propellerFlight() {
  return "set registration D-EPRO\n"
         "key 0 engines=2 zfw=9000 fuel=1200 lat=50.0333 lon=8.5706 alt=364 hdg=250 var=2 "
         "oat=15 tat=15 wind_dir=270 wind_speed=8 on_ground=1 mode=1 n1=0 n2=0 fire=0\n"
         "key 19.5 n1=0 n2=0\n"
         "key 20 n1=30 n2=60 fire=1\n"
         "key 30 gs=15 ias=15 tas=15 fuel=1195\n"
         "key 105 gs=15 fuel=1190\n"
         "key 110 gs=90 ias=90 tas=90 n1=95 n2=96 fuel=1185\n"
         "key 111 on_ground=0 vs=800 height=30 alt=394 pitch=7\n"
         "key 200 vs=1500 height=2600 alt=2600 ias=150 tas=160 gs=160 lat=49.90 lon=8.40 "
         "fuel=1150\n"
         "key 210 vs=0 height=2800 alt=2800 pitch=2 n1=75 n2=90\n"
         "key 420 lat=49.60 lon=8.00 fuel=1100\n"
         "key 430 vs=-700 n1=55 n2=80 pitch=0\n"
         "key 560 vs=-650 height=80 alt=444 lat=49.50 lon=7.90 ias=100 tas=100 gs=100 "
         "fuel=1080\n"
         "key 569 vs=-600 height=20 alt=384 pitch=3 bank=-1.5\n"
         "key 576 vs=-230 height=0 alt=364 pitch=4.5 bank=-0.5\n"
         "key 576 vs=0 on_ground=1 gs=95\n"
         "key 580 pitch=0 bank=0\n"
         "key 590 gs=50 ias=50 tas=50 n1=35 n2=65\n"
         "key 605 gs=10 ias=10 tas=10 fuel=1075\n"
         "key 610 gs=0 ias=0 tas=0\n"
         "key 640 gs=0\n"
         "key 645 gs=12\n"
         "key 680 gs=10 fuel=1070\n"
         "key 685 gs=0\n"
         "key 690 fire=0\n"
         "key 700 n1=0 n2=0\n";
}

// The propeller flight bouncing once: on the ground at 576 s (-230 fpm), in the air again
// from 579 s to 584 s, down for good at 584 s (-150 fpm).
inline std::string bouncingPropellerFlight() {
  const std::string s = propellerFlight();
  const std::size_t from = s.find("key 576 vs=0");
  const std::size_t to = s.find("key 590");
  return s.substr(0, from) +
         "key 576 vs=0 on_ground=1 gs=95\n"
         "key 579 gs=92\n"
         "key 579 vs=150 on_ground=0\n"
         "key 581 vs=0 height=5 alt=369\n"
         "key 584 vs=-150 height=0 alt=364 gs=88\n"
         "key 584 vs=0 on_ground=1\n"
         "key 588 pitch=0 bank=0\n" +
         s.substr(to);
}

}  // namespace orvane::test
