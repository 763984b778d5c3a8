#!/usr/bin/env python3
"""Writes the test series of the seasonal import: a large-sample basin file (blank separated,
year/month/day/hour columns), a headerless gauge file in cubic feet per second with quality
flags, and a Latin-1 station file in m3/s whose header names the catchment area and unit."""
import datetime
import math

start, end = datetime.date(1986, 8, 1), datetime.date(1989, 8, 31)
days = [start + datetime.timedelta(days=k) for k in range((end - start).days + 1)]
area = 412.70


def rain(i):
    return round(((i * 37) % 23) * 0.7 if (i * 7) % 5 < 2 else 0.0, 1)


def pet(d):
    doy = d.timetuple().tm_yday
    return round(max(0.3, 2.2 + 1.8 * math.sin((doy - 100) / 365 * 2 * math.pi)), 2)


def q_mm(i):
    return round(1.1 + 0.3 * math.sin(i / 17.0) + 0.05 * ((i * 13) % 7), 3)


with open('basin-large-sample.txt', 'w') as f:
    f.write('YR MNTH DY HR    SWE   PRCP   RAIM   TAIR    PET     ET MOD_RUN OBS_RUN\n')
    for i, d in enumerate(days):
        if d == datetime.date(1988, 9, 5):
            continue  # a day the file lacks
        p = -999.0 if d == datetime.date(1989, 3, 1) else rain(i)
        f.write('%d %02d %02d 12 %6.1f %6.1f %6.1f %6.1f %6.2f %6.2f %7.3f %7.3f\n' %
                (d.year, d.month, d.day, 0.0, p, rain(i), 12.0 + 8 * math.sin(i / 58), pet(d),
                 pet(d) * 0.7, q_mm(i) * 0.9, q_mm(i)))

cfs_per_mm = area / 2.4465755455488
with open('gauge-01234500.txt', 'w') as f:
    for i, d in enumerate(days):
        if d < datetime.date(1986, 9, 1) or d == datetime.date(1986, 10, 15):
            continue
        if datetime.date(1988, 7, 10) <= d <= datetime.date(1988, 7, 12):
            f.write('01234500 %d %02d %02d %9.2f M\n' % (d.year, d.month, d.day, -999.0))
            continue
        q, flag = q_mm(i) * cfs_per_mm, 'A'
        if datetime.date(1987, 6, 1) <= d <= datetime.date(1987, 6, 3):
            flag = 'A:e'
        if d >= datetime.date(1989, 8, 20):
            flag = 'P'
        if d == datetime.date(1987, 6, 1):
            q = 83.21
        f.write('01234500 %d %02d %02d %9.2f %s\n' % (d.year, d.month, d.day, q, flag))

lines = ['# Station:            Example River at Millbrook',
         '# Station number:     6335020',
         '# Catchment area (km\u00b2):  412.70',
         '# Unit of measure:  m\u00b3/s',
         '# Time series:  daily mean discharge',
         '# 1987',
         '# DATA',
         'YYYY-MM-DD;hh:mm; Value']
for i, d in enumerate(days):
    if d > datetime.date(1989, 7, 31):
        continue
    v = q_mm(i) * area / 86.4
    if d == datetime.date(1987, 8, 15):
        v = -999.0
    if d == datetime.date(1987, 6, 1):
        v = 2.355
    lines.append('%s;--:--;%11.3f' % (d.isoformat(), v))
with open('station-6335020.txt', 'wb') as f:
    f.write(('\r\n'.join(lines) + '\r\n').encode('latin-1'))
