#!/usr/bin/perl
print "ród³o: ¹œæ\n";
