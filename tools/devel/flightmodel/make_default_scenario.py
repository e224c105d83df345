#!/usr/bin/env python3
"""Writes the built-in default scenario (a short hop west out of Frankfurt) as scenario text.

Positions, altitudes and fuel are integrated from the speeds, vertical speeds and fuel flows
of the legs below, so that the values stay coherent with each other. The output is pasted
into default_scenario.cpp.
"""
import math

DEP_LAT, DEP_LON, DEP_ELEV = 50.04800, 8.57000, 364.0  # gate, feet
ZFW = 128500.0          # pounds
FUEL = 9200.0           # pounds at the gate
VAR = 3.4               # magnetic variation, degrees east
EARTH_M = 6371000.0
KT = 1852.0 / 3600.0    # metres per second per knot

# t, on_ground, gs (ground legs) or ias (air legs), vs, true heading, n1, n2, fuel flow lb/s
# For ground legs the speed is the ground speed; in the air it is the indicated airspeed.
LEGS = [
    (0,   1,   0,     0, 160,  0,  0, 0.0),
    (15,  1,   0,     0, 160,  0,  0, 0.0),
    (20,  1,   0,     0, 160,  9, 31, 0.15),   # engines spooling: neither running nor stopped
    (26,  1,   0,     0, 160, 22, 62, 0.33),
    (30,  1,   0,     0, 160, 24, 63, 0.33),
    (33,  1,  15,     0, 160, 28, 66, 0.36),
    (41,  1,  15,     0, 160, 28, 66, 0.36),
    (46,  1,  14,     0,  70, 27, 65, 0.35),
    (50,  1,  12,     0, 160, 26, 64, 0.34),
    (53,  1,   6,     0, 249, 26, 64, 0.34),   # lined up on runway 25
    (55,  1,   8,     0, 249, 88, 95, 3.9),    # take-off thrust
    (76,  1, 150,     0, 249, 90, 96, 3.9),
    (77,  0, 160,  1200, 249, 90, 96, 3.9),    # lift-off
    (80,  0, 165,  2600, 249, 90, 96, 3.8),
    (88,  0, 180,  4500, 250, 88, 95, 3.6),
    (150, 0, 240,  5000, 253, 86, 94, 3.0),
    (170, 0, 250,  4800, 255, 84, 93, 2.8),
    (178, 0, 250,  2000, 256, 72, 88, 2.2),
    (183, 0, 250,     0, 256, 62, 84, 1.5),    # level at about 8000 feet
    (243, 0, 250,     0, 256, 62, 84, 1.5),
    (249, 0, 248, -1800, 256, 38, 72, 0.5),
    (257, 0, 245, -4000, 257, 35, 70, 0.45),
    (342, 0, 210, -4000, 258, 35, 70, 0.45),
    (354, 0, 170, -1500, 258, 40, 74, 0.6),
    (360, 0, 145, -900,  258, 52, 79, 1.0),    # final approach
    (390, 0, 138, -700,  258, 52, 79, 1.0),
    (396, 0, 134, -150,  258, 40, 74, 0.6),
    (402, 0, 132, -150,  258, 30, 68, 0.4),    # just before touchdown
]
TOUCHDOWN = 402
GROUND_IN = [
    # t, gs, true heading, n1, n2, fuel flow
    (402, 123, 258, 30, 68, 0.4),   # touchdown
    (408, 100, 258, 60, 82, 1.2),   # reverse thrust
    (416, 70,  258, 45, 76, 0.8),
    (422, 25,  258, 22, 62, 0.33),
    (426, 15,  340, 22, 62, 0.33),
    (436, 15,  340, 22, 62, 0.33),
    (442, 0,   340, 22, 62, 0.33),     # stopped at the gate
    (448, 0,   340, 22, 62, 0.33),
    (453, 0,   340,  8, 35, 0.15),     # shutting down
    (458, 0,   340,  0, 12, 0.0),
    (462, 0,   340,  0,  0, 0.0),
]


def wind_at(alt):
    """Wind from 250 degrees at 10 knots on the ground, 270 at 28 knots at 8000 feet."""
    f = max(0.0, min(1.0, (alt - DEP_ELEV) / 7600.0))
    return 250 + 20 * f, 10 + 18 * f


def oat_at(alt):
    return 15.0 - 2.0 * alt / 1000.0


def tas_from_ias(ias, alt):
    return ias * (1.0 + 0.02 * alt / 1000.0)


def headwind(track, wind_dir, wind_speed):
    return wind_speed * math.cos(math.radians(wind_dir - track))


def tat_from(oat, tas):
    v = tas * KT
    return oat + v * v / 2010.0


def move(lat, lon, track, metres):
    d = metres / EARTH_M
    lat1, lon1, th = math.radians(lat), math.radians(lon), math.radians(track)
    lat2 = math.asin(math.sin(lat1) * math.cos(d) + math.cos(lat1) * math.sin(d) * math.cos(th))
    lon2 = lon1 + math.atan2(math.sin(th) * math.sin(d) * math.cos(lat1),
                             math.cos(d) - math.sin(lat1) * math.sin(lat2))
    return math.degrees(lat2), math.degrees(lon2)


def angle_mid(a, b):
    d = (b - a + 540) % 360 - 180
    return (a + d / 2) % 360


rows = []
lat, lon, alt, fuel = DEP_LAT, DEP_LON, DEP_ELEV, FUEL
prev = None
takeoff_t = None
for (t, ground, spd, vs, hdg, n1, n2, ff) in LEGS:
    if prev is not None:
        dt = t - prev['t']
        alt += (prev['vs'] + vs) / 2.0 * dt / 60.0
    wd, ws = wind_at(alt)
    if ground:
        gs = spd
        hw = headwind(hdg, wd, ws)
        ias = gs + hw if gs + hw >= 30 else 0.0
        tas = ias
    else:
        ias = spd
        tas = tas_from_ias(ias, alt)
        gs = tas - headwind(hdg, wd, ws)
    if prev is not None:
        dt = t - prev['t']
        lat, lon = move(lat, lon, angle_mid(prev['hdg'], hdg), (prev['gs'] + gs) / 2.0 * KT * dt)
        fuel -= (prev['ff'] + ff) / 2.0 * dt
    if not ground and takeoff_t is None:
        takeoff_t = prev['t']
    row = dict(t=t, ground=ground, gs=gs, vs=vs, hdg=hdg, n1=n1, n2=n2, ff=ff, alt=alt, lat=lat,
               lon=lon, ias=ias, tas=tas, wd=wd, ws=ws, fuel=fuel)
    rows.append(row)
    prev = row

ARR_ELEV = round(rows[-1]['alt'] - 2.0)   # the last air row is two feet above the runway
for r in rows:
    if r['ground'] and r['t'] <= takeoff_t:
        r['height'] = 0.0
        r['alt'] = DEP_ELEV
    else:
        f = (r['t'] - takeoff_t) / (TOUCHDOWN - takeoff_t)
        terrain = DEP_ELEV + (ARR_ELEV - DEP_ELEV) * f
        r['height'] = r['alt'] - terrain

prev = rows[-1]
for (t, gs, hdg, n1, n2, ff) in GROUND_IN:
    dt = t - prev['t']
    if dt > 0:
        lat, lon = move(lat, lon, angle_mid(prev['hdg'], hdg), (prev['gs'] + gs) / 2.0 * KT * dt)
        fuel -= (prev['ff'] + ff) / 2.0 * dt
    wd, ws = wind_at(ARR_ELEV)
    hw = headwind(hdg, wd, ws)
    ias = gs + hw if gs + hw >= 30 else 0.0
    row = dict(t=t, ground=1, gs=gs, vs=0, hdg=hdg, n1=n1, n2=n2, ff=ff, alt=ARR_ELEV, lat=lat,
               lon=lon, ias=ias, tas=ias, wd=wd, ws=ws, fuel=fuel, height=0.0)
    rows.append(row)
    prev = row

print("# A short hop gate to gate: Frankfurt, runway 25, west to a field near Mainz.")
print("# Made by make_default_scenario.py; positions, altitudes and fuel follow from the legs.")
print("set registration D-AORV")
last = {}
for i, r in enumerate(rows):
    oat = oat_at(r['alt'])
    fields = [
        f"lat={r['lat']:.5f}", f"lon={r['lon']:.5f}", f"gs={r['gs']:.1f}", f"vs={r['vs']:.0f}",
        f"height={max(r['height'], 0.0):.0f}", f"alt={r['alt']:.0f}", f"hdg={r['hdg']:.0f}",
        f"ias={r['ias']:.0f}", f"tas={r['tas']:.0f}", f"oat={oat:.1f}",
        f"tat={tat_from(oat, r['tas']):.1f}", f"wind_dir={r['wd']:.0f}", f"wind_speed={r['ws']:.0f}",
        f"n1={r['n1']}", f"n2={r['n2']}", f"fuel={r['fuel']:.0f}", f"on_ground={r['ground']}",
    ]
    full = dict(f.split("=") for f in fields)
    if i == 0:
        fields = [f"engines=2", f"var={VAR}", f"zfw={ZFW:.0f}", "menu=0", "mode=1"] + fields
    else:
        # Only what changed: the other fields keep the value of the keyframe before.
        fields = [f"{k}={v}" for k, v in full.items() if last.get(k) != v]
    last = full
    print(" ".join([f"key {r['t']}"] + fields))
