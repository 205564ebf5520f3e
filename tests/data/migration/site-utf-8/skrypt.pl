#!/usr/bin/perl
print "Źródło: ąść\n";
