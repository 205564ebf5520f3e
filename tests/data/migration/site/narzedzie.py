#!/usr/bin/env python
# -*- coding: iso-8859-2 -*-
print("Zażółć")
