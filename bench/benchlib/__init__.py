# SPDX-License-Identifier: GPL-2.0-or-later
"""The pieces of bench/run: one module per group of measurements, and what they share."""
