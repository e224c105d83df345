// Scenario texts for the end-to-end flights, built on the stand-in's scenario format.
#pragma once

#include <string>

namespace orvane::test {

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

}  // namespace orvane::test
